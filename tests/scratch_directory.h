// A fresh directory under /tmp, made the working directory for as long as a
// test fixture lives, so that screenshots saved by name land there and
// vanish with it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

struct scratch_directory {
    std::string path;

    scratch_directory()
    {
        char pattern[] = "/tmp/vexilo-test-XXXXXX";
        if (mkdtemp(pattern) == nullptr || chdir(pattern) != 0)
            ADD_FAILURE() << "cannot make and enter a scratch directory";
        path = pattern;
    }

    ~scratch_directory()
    {
        if (chdir("/") != 0)
            ADD_FAILURE() << "cannot leave the scratch directory";
        std::filesystem::remove_all(path);
    }

    scratch_directory(const scratch_directory &) = delete;
    scratch_directory &operator=(const scratch_directory &) = delete;
};
