#include "GameLoader/GameLoader/GameExitCommand.h"

#include <json/json.h>

namespace {

void PutInt32(GameExitNoticeRecord& record, std::size_t at, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) record[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}

}  // namespace

GameExitRecognition RecognizeGameExitCommand(const std::string& ansiText)
{
    GameExitRecognition result;
    try {
        Json::Value root;
        Json::Reader reader;
        if (reader.parse(ansiText, root)) {
            // A root that is neither an object nor null throws here.
            const Json::Value& type = static_cast<const Json::Value&>(root)["type"];
            result.type = type.isInt() ? type.asInt() : 0;
            result.parse = GameExitParse::Json;
            return result;
        }
        result.parse = GameExitParse::NotJson;
        if (ansiText == "type:1" || ansiText == "{type:1}") {
            result.literal = true;
            result.type = 1;
        }
    } catch (...) {
        return GameExitRecognition{};
    }
    return result;
}

GameExitNoticeRecord BuildGameExitNoticeRecord()
{
    GameExitNoticeRecord record{};
    PutInt32(record, 0, 1);
    record[4] = 0x31;  // UTF-16LE "1"; the other 259 units stay 0
    PutInt32(record, 524, 1);
    return record;
}
