#pragma once
// The char* array execv() and execve() take, pointing into texts that outlive the call.

#include <string>
#include <vector>

namespace wl::test {

inline std::vector<char*> ArgvPointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace wl::test
