// SPDX-License-Identifier: MIT
#include "toolkit/platform/win32_gdiplus/ResourceStream.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using VSTGUI::win32::ResourceStream;

namespace {

constexpr std::array<std::uint8_t, 10> kBytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// A stream over kBytes, released at the end of the test.
class StreamTest : public testing::Test {
protected:
    ~StreamTest() override { stream->Release(); }

    HRESULT seek(std::int64_t move, DWORD origin, std::uint64_t* reported = nullptr) {
        LARGE_INTEGER distance;
        distance.QuadPart = move;
        ULARGE_INTEGER position;
        position.QuadPart = 0xDEADu;
        const HRESULT answer = stream->Seek(distance, origin, &position);
        if (reported != nullptr) *reported = position.QuadPart;
        return answer;
    }

    ResourceStream* stream = new ResourceStream(kBytes.data(), kBytes.size());
};

TEST_F(StreamTest, ReadCopiesTheAskedBytesAndAdvances) {
    std::array<std::uint8_t, 4> buffer{};
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer.data(), 4, &read), S_OK);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{0, 1, 2, 3}));
    EXPECT_EQ(stream->Read(buffer.data(), 4, nullptr), S_OK);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{4, 5, 6, 7}));
    EXPECT_EQ(stream->position(), 8u);
}

TEST_F(StreamTest, ReadPastTheEndCopiesWhatIsLeftAndAnswersFalse) {
    ASSERT_EQ(seek(7, STREAM_SEEK_SET), S_OK);
    std::array<std::uint8_t, 8> buffer{};
    buffer.fill(0xEE);
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer.data(), 8, &read), S_FALSE);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_EQ(buffer[3], 0xEE) << "nothing is written beyond the bytes read";
    EXPECT_EQ(stream->position(), 10u);
    // At the end: nothing more.
    EXPECT_EQ(stream->Read(buffer.data(), 1, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
}

TEST_F(StreamTest, SeekAcceptsEveryPositionUpToTheSizeInclusive) {
    std::uint64_t position = 0;
    EXPECT_EQ(seek(10, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(seek(0, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(seek(4, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(seek(-1, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 3u);
    EXPECT_EQ(stream->position(), 3u);
}

TEST_F(StreamTest, SeekFromTheEndCountsFromTheSize) {
    std::uint64_t position = 0;
    EXPECT_EQ(seek(0, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 10u);
    EXPECT_EQ(seek(-4, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 6u);
    std::uint8_t byte = 0;
    EXPECT_EQ(stream->Read(&byte, 1, nullptr), S_OK);
    EXPECT_EQ(byte, 6);
}

TEST_F(StreamTest, SeekRefusesTargetsOutsideTheDataAndKeepsThePosition) {
    ASSERT_EQ(seek(5, STREAM_SEEK_SET), S_OK);
    std::uint64_t position = 0;
    EXPECT_EQ(seek(11, STREAM_SEEK_SET, &position), S_FALSE);
    EXPECT_EQ(seek(-1, STREAM_SEEK_SET), S_FALSE);
    EXPECT_EQ(seek(-6, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(6, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(1, STREAM_SEEK_END), S_FALSE);
    EXPECT_EQ(seek(-11, STREAM_SEEK_END), S_FALSE);
    EXPECT_EQ(seek(INT64_MIN, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(INT64_MAX, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(0, 3), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->position(), 5u);
}

TEST_F(StreamTest, StatReportsTheSizeAndRevertRewinds) {
    STATSTG record;
    std::memset(&record, 0xAB, sizeof(record));
    EXPECT_EQ(stream->Stat(&record, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(record.cbSize.QuadPart, 10u);
    EXPECT_EQ(record.pwcsName, nullptr);
    ASSERT_EQ(seek(4, STREAM_SEEK_SET), S_OK);
    EXPECT_EQ(stream->Revert(), S_OK);
    EXPECT_EQ(stream->position(), 0u);
}

TEST_F(StreamTest, WritingAndTheOtherChangesAreNotImplemented) {
    ULONG written = 5;
    EXPECT_EQ(stream->Write(kBytes.data(), 1, &written), E_NOTIMPL);
    EXPECT_EQ(written, 0u);
    ULARGE_INTEGER size{};
    EXPECT_EQ(stream->SetSize(size), E_NOTIMPL);
    EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
    EXPECT_EQ(stream->LockRegion(size, size, 0), E_NOTIMPL);
    EXPECT_EQ(stream->UnlockRegion(size, size, 0), E_NOTIMPL);
    IStream* copy = stream;
    EXPECT_EQ(stream->Clone(&copy), E_NOTIMPL);
    EXPECT_EQ(copy, nullptr);
}

TEST_F(StreamTest, AnswersTheStreamInterfacesOnly) {
    for (const IID* iid : {&IID_IUnknown, &IID_IStream, &IID_ISequentialStream}) {
        void* object = nullptr;
        EXPECT_EQ(stream->QueryInterface(*iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<IStream*>(stream));
        EXPECT_EQ(stream->Release(), 1u) << "the query took one reference";
    }
    void* object = stream;
    EXPECT_EQ(stream->QueryInterface(IID_IDropTarget, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
}

TEST(DataResource, FindsTheBytesOfANamedResourceOfTypeData) {
    const HMODULE module = toolkit_test::testResources();
    ASSERT_NE(module, nullptr);
    const void* data = nullptr;
    std::uint32_t size = 0;
    ASSERT_TRUE(VSTGUI::win32::findDataResource(module, "TESTIMAGE", data, size));
    ASSERT_EQ(size, 80u);
    EXPECT_EQ(std::memcmp(data, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_FALSE(VSTGUI::win32::findDataResource(module, "NOSUCHIMAGE", data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(VSTGUI::win32::findDataResource(module, MAKEINTRESOURCEA(7), data, size));
}

// The image decoder reads a whole PNG through the stream: the stream contract holds for it.
TEST(DataResource, TheImageDecoderReadsAPngThroughTheStream) {
    toolkit_test::GdiplusSession session;
    ASSERT_TRUE(session.ok());
    const void* data = nullptr;
    std::uint32_t size = 0;
    ASSERT_TRUE(
        VSTGUI::win32::findDataResource(toolkit_test::testResources(), "TESTIMAGE", data, size));
    namespace backend = VSTGUI::platform::drawing2d;
    VSTGUI::platform::ImageHandle image = nullptr;
    ASSERT_EQ(backend::createBitmapFromEncodedBytes(data, size, image), VSTGUI::platform::kOk);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_EQ(backend::getImageWidth(image, width), VSTGUI::platform::kOk);
    EXPECT_EQ(backend::getImageHeight(image, height), VSTGUI::platform::kOk);
    EXPECT_EQ(width, 7u);
    EXPECT_EQ(height, 5u);
    std::uint32_t pixel = 0;
    EXPECT_EQ(toolkit_test::pixelOf(image, 0, 0, pixel), VSTGUI::platform::kOk);
    EXPECT_EQ(pixel, 0xFFFF0000u);
    EXPECT_EQ(toolkit_test::pixelOf(image, 6, 0, pixel), VSTGUI::platform::kOk);
    EXPECT_EQ(pixel, 0xFF0000FFu);
    EXPECT_EQ(toolkit_test::pixelOf(image, 3, 4, pixel), VSTGUI::platform::kOk);
    EXPECT_EQ(pixel, 0xFF00FF00u);
    backend::disposeImage(image);
}

} // namespace
