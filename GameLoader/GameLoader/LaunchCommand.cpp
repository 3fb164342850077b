#include "GameLoader/GameLoader/LaunchCommand.h"

#include <json/json.h>

#include <memory>
#include <sstream>

const LaunchKey kLaunchKeys[10] = {
    {"winid", L"--winid="},
    {"source", L"--source="},
    {"tokenLogin", L"--tokenLogin="},
    {"token", L"--token="},
    {"qxext", L"--qxext="},
    {"installed", L"--installed="},
    {"gameMgrId", L"--gameMgrId="},
    {"typeMode", L"--typeMode="},
    {"instGamePath", L"--instGamePath="},
    {"cacheGamePath", L"--cacheGamePath="},
};

namespace {

constexpr const LaunchKey& kInstalledKey = kLaunchKeys[5];

// Stores the value after the first occurrence of the key's prefix anywhere
// in the token; false when the prefix does not occur.
bool ExtractValue(const std::wstring& token, const LaunchKey& key, Json::Value& root,
                  const LaunchTextCodec& codec)
{
    const std::size_t at = token.find(key.prefix);
    if (at == std::wstring::npos) return false;
    const std::wstring value = token.substr(at + std::char_traits<wchar_t>::length(key.prefix));
    root[key.key] = codec.narrow(value);
    return true;
}

}  // namespace

std::string WriteCompactJson(const Json::Value& value)
{
    // Json::FastWriter would re-read every non-ASCII byte as UTF-8 and write
    // \ufffd escapes for ANSI text; the builder with emitUTF8 keeps the bytes.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    builder["commentStyle"] = "None";
    std::ostringstream out;
    std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    writer->write(value, &out);
    out << '\n';
    return out.str();
}

std::wstring BuildLaunchCommand(const std::vector<std::wstring>& tokens, const LaunchTextCodec& codec,
                                const ListTokenObserver& onListToken)
{
    if (tokens.empty()) return {};
    if (tokens.size() <= 2) {
        const std::wstring& argument = tokens.back();
        if (argument.find(kInstalledKey.prefix) == std::wstring::npos) return argument;
        Json::Value root;
        ExtractValue(argument, kInstalledKey, root, codec);
        return codec.widen(WriteCompactJson(root));
    }
    Json::Value root;
    for (std::size_t index = 0; index < tokens.size(); ++index) {
        if (onListToken) onListToken(index, tokens[index]);
        for (const LaunchKey& key : kLaunchKeys) {
            if (ExtractValue(tokens[index], key, root, codec)) break;
        }
    }
    return codec.widen(WriteCompactJson(root));
}
