// A started archive file system over a temporary folder (its base folder), with helpers that
// write archives there, mount them and read members back whole.
#pragma once

#include "bigfile/bigfile.h"
#include "tests/support/archive_builder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

class VfsFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1, Start(Params())); }
    void TearDown() override { BF_Shutdown(); }

    // The installer's start record: base folder, no plain names, archives first, no boxes.
    BF_InitParams Params()
    {
        m_base = m_dir.File("");
        BF_InitParams params {};
        params.baseDir = m_base.c_str();
        return params;
    }
    int Start(const BF_InitParams& params) { return BF_Init(&params); }
    int Restart(const BF_InitParams& params)
    {
        BF_Shutdown();
        return Start(params);
    }

    std::u16string PathOf(const std::string& fileName) const
    {
        return (m_dir.Path() / fileName).u16string();
    }
    std::u16string Put(const std::string& fileName, const std::vector<uint8_t>& bytes)
    {
        WriteBytes(m_dir.File(fileName), bytes);
        return PathOf(fileName);
    }
    BF_Status Mount(const std::string& fileName, const std::vector<ArchiveMember>& members,
        uint32_t mode = 0, uint32_t version = 0, uint64_t ordering = 0)
    {
        return LoadBF(Put(fileName, BuildArchive(members, version, ordering)).c_str(), mode);
    }
    BF_Status Unmount(const std::string& fileName) { return UnloadBF(PathOf(fileName).c_str()); }

    // Every byte of an open file from its current position, read in steps of step bytes.
    static std::vector<uint8_t> ReadRest(BF_Handle file, uint32_t step = 1u << 20)
    {
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> chunk(step);
        while (uint32_t got = BF_Read(file, chunk.data(), step))
            bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
        return bytes;
    }
    // The whole content of name, or "missing" when it does not open.
    static std::string Content(const char* name)
    {
        BF_Handle file = BF_OpenEx(name, BF_GENERIC_READ, 0);
        if (file == 0)
            return "missing";
        std::vector<uint8_t> bytes = ReadRest(file);
        BF_Close(file);
        return std::string(bytes.begin(), bytes.end());
    }
    static std::vector<uint8_t> Bytes(const std::string& text)
    {
        return std::vector<uint8_t>(text.begin(), text.end());
    }

    TempDir m_dir;
    std::string m_base;
};

}
