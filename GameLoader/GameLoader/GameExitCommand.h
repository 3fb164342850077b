// The game-exit command (the launch command that reports the end of the
// game) and the record of the notice that tells the platform window.
// Portable: the caller logs and sends.
#pragma once

#include <array>
#include <cstdint>
#include <cstddef>
#include <string>

enum class GameExitParse {
    Json,     // valid JSON; type taken from its member "type"
    NotJson,  // not JSON; type 1 only for the two literal texts
    Failed,   // an exception while reading: never the game-exit command
};

struct GameExitRecognition {
    GameExitParse parse = GameExitParse::Failed;
    bool literal = false;  // not JSON, but exactly "type:1" or "{type:1}"
    int type = 0;
};

// ansiText: the launch command text in the ANSI code page. Type 1 marks the
// game-exit command: a member "type" holding an integer 1 (1.0 counts; the
// string "1" does not), or one of the two literal texts that a command line
// with unescaped quotes leaves of the JSON object.
GameExitRecognition RecognizeGameExitCommand(const std::string& ansiText);

// The notice: WM_COPYDATA with dwData 1 and this record, little-endian and
// packed: int32 1, the UTF-16 text "1" NUL-filled to 260 units, int32 1.
inline constexpr unsigned long kGameExitNoticeData = 1;
inline constexpr std::size_t kGameExitNoticeSize = 528;
using GameExitNoticeRecord = std::array<unsigned char, kGameExitNoticeSize>;

GameExitNoticeRecord BuildGameExitNoticeRecord();
