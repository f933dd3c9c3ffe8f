#pragma once
// What the file-operation tests share: a fresh folder per test and small helpers around it.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace wl::fs_testing {

// Each test gets its own empty folder, removed with everything in it afterwards.
class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "wl-fs-XXXXXX").native();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }

    void TearDown() override {
        std::error_code ignored;
        // Give back rights a test took away, so that everything can go.
        ::chmod(root_.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                ::chmod(it->path().c_str(), 0700);
            }
        }
        std::filesystem::remove_all(root_, ignored);
    }

    const std::filesystem::path& root() const { return root_; }

    static void WriteFile(const std::filesystem::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static mode_t ModeOf(const std::filesystem::path& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
        return info.st_mode & 07777;
    }

    static bool RunningAsRoot() { return ::geteuid() == 0; }

  private:
    std::filesystem::path root_;
};

// Sets the umask for one test and restores it.
class UmaskScope {
  public:
    explicit UmaskScope(mode_t mask) : previous_(::umask(mask)) {}
    ~UmaskScope() { ::umask(previous_); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

  private:
    mode_t previous_;
};

// Changes the current folder for one test and returns to the previous one.
class CurrentFolderScope {
  public:
    explicit CurrentFolderScope(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolderScope() { std::filesystem::current_path(previous_); }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

  private:
    std::filesystem::path previous_;
};

// Sets or unsets an environment variable for one test and restores it.
class EnvironmentScope {
  public:
    EnvironmentScope(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            previous_ = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvironmentScope() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace wl::fs_testing
