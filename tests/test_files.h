// Whole files in and out, for tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testfiles {

inline std::string slurp(const std::filesystem::path &p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void spit(const std::filesystem::path &p, const std::string &text) {
    std::ofstream f(p, std::ios::binary);
    f << text;
}

} // namespace testfiles
