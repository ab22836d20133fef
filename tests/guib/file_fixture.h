// A started archive file system (plain names on) and a temporary folder, for the tests that read
// pictures, stores and fonts from files through the virtual file interface.
#pragma once

#include "bigfile/bigfile.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace test {

class FileFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        BF_InitParams params {};
        params.plainNames = 1;
        ASSERT_EQ(1, BF_Init(&params));
    }
    void TearDown() override { BF_Shutdown(); }

    // Writes the file into the folder and returns its full path.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(m_dir.Path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return m_dir.File(name);
    }

    TempDir m_dir;
};

}
