// A started archive file system over a temporary folder (plain names on), where the image
// tests write picture files and load them through LoadImage, with the refusal reasons caught.
#pragma once

#include "bigfile/bigfile.h"
#include "image/image.h"
#include "platform/platform.h"
#include "tests/support/picture_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

namespace test {

// Width, height, bytes per pixel, flags and data size of a record, compared as one value.
using Shape = std::array<uint32_t, 5>;

// What one load gave: its result, the record, and a copy of the pixels (the block is freed).
struct LoadedImage {
    int result = 0;
    ImageRecord record {};
    std::vector<uint8_t> pixels;
    Shape GetShape() const
    {
        return { record.width, record.height, record.bytesPerPixel, record.flags, record.dataSize };
    }
};

class ImageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        BF_InitParams params {};
        params.baseDir = m_base.c_str();
        params.plainNames = 1;
        ASSERT_EQ(1, BF_Init(&params));
    }
    void TearDown() override { BF_Shutdown(); }

    void Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(m_dir.Path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // Loads a file already in place; Reasons() then holds what this load traced.
    static LoadedImage LoadNamed(const std::string& name)
    {
        Reasons().clear();
        LoadedImage loaded;
        loaded.result = LoadImage(name.c_str(), &loaded.record);
        if (loaded.record.pixels != nullptr)
            loaded.pixels.assign(
                loaded.record.pixels, loaded.record.pixels + loaded.record.dataSize);
        FreeImage(loaded.record.pixels);
        return loaded;
    }
    LoadedImage Load(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        Put(name, bytes);
        return LoadNamed(name);
    }
    // A failed load leaves a zeroed record and says why (with reason null, any reason will do).
    static ::testing::AssertionResult Refused(
        const LoadedImage& loaded, const char* reason = nullptr)
    {
        bool zeroed = loaded.GetShape() == Shape {} && loaded.record.pixels == nullptr;
        std::string last = Reasons().empty() ? "" : Reasons().back();
        bool said = !Reasons().empty() && (reason == nullptr || last == reason);
        if (loaded.result == 0 && zeroed && said)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "result " << loaded.result << ", zeroed " << zeroed
                                             << ", last reason '" << last << "'";
    }
    static std::vector<std::string>& Reasons() { return TraceCatcher::Texts(); }

    TempDir m_dir;
    std::string m_base = m_dir.File("");
    TraceCatcher m_traces;
};

}
