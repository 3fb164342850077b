// The archives and files the skin tests read; the build makes them with the
// zip tool into skin_fixtures beside the test programs.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

inline std::string SkinFixtureDir()
{
#ifdef _WIN32
    char path[MAX_PATH] = {};
    std::string dir(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir + "skin_fixtures\\";
#else
    return VRK_SKIN_FIXTURES "/";
#endif
}

inline std::string ReadFixture(const std::string& name)
{
    std::ifstream in(SkinFixtureDir() + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
