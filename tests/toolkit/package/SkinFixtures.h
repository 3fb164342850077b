// Files the skin tests read from the build folder: skin.zip, and the
// archives the build makes with the zip tool in skin_fixtures. On Windows
// the build folder is the test program's own folder.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

inline std::string BuildDir()
{
#ifdef _WIN32
    char path[MAX_PATH] = {};
    std::string dir(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir;
#else
    return VRK_BUILD_DIR "/";
#endif
}

inline std::string ReadBuildFile(const std::string& name)
{
    std::ifstream in(BuildDir() + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ReadFixture(const std::string& name)
{
    return ReadBuildFile("skin_fixtures/" + name);
}
