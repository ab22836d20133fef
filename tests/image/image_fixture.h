// A started archive file system over a temporary folder (plain names on), where the image
// tests write picture files and load them through LoadImage, with the refusal reasons caught.
#pragma once

#include "bigfile/bigfile.h"
#include "image/image.h"
#include "platform/platform.h"
#include "tests/support/picture_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace test {

// What one load gave: its result, the record, and a copy of the pixels (the block is freed).
struct LoadedImage {
    int result = 0;
    ImageRecord record {};
    std::vector<uint8_t> pixels;
};

class ImageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_base = m_dir.File("");
        BF_InitParams params {};
        params.baseDir = m_base.c_str();
        params.plainNames = 1;
        ASSERT_EQ(1, BF_Init(&params));
        Reasons().clear();
        m_previousSink = SYS_SetTraceSink(CatchReason);
    }
    void TearDown() override
    {
        SYS_SetTraceSink(m_previousSink);
        BF_Shutdown();
    }

    void Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream file(m_dir.Path() / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    }
    static LoadedImage LoadNamed(const std::string& name)
    {
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
    // A failed load leaves a zeroed record and says why.
    static ::testing::AssertionResult Refused(const LoadedImage& loaded, const std::string& reason)
    {
        const ImageRecord& r = loaded.record;
        bool zeroed = r.width == 0 && r.height == 0 && r.flags == 0 && r.dataSize == 0
            && r.bytesPerPixel == 0 && r.pixels == nullptr;
        bool said = !Reasons().empty() && Reasons().back() == reason;
        if (loaded.result == 0 && zeroed && said)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
            << "result " << loaded.result << ", zeroed " << zeroed << ", last reason '"
            << (Reasons().empty() ? "" : Reasons().back()) << "'";
    }
    static std::vector<std::string>& Reasons()
    {
        static std::vector<std::string> reasons;
        return reasons;
    }

    TempDir m_dir;
    std::string m_base;

private:
    static void CatchReason(uint32_t, int, const char* text) { Reasons().push_back(text); }
    SYS_TraceSink m_previousSink = nullptr;
};

}
