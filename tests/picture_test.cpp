// picture_test.cpp -- loading picture files: raw and run-length pixels, capacities, failures
// and damaged files

#include "graphics/graphics.h"
#include "platform/headless/headless.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct FileHeader {
    uint32_t data_size;
    int32_t width, height, frame_width, frame_height;
    uint8_t flag;
};

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> header_bytes(const FileHeader& h) {
    std::vector<uint8_t> out;
    put32(out, h.data_size);
    put32(out, uint32_t(h.width));
    put32(out, uint32_t(h.height));
    put32(out, uint32_t(h.frame_width));
    put32(out, uint32_t(h.frame_height));
    put32(out, 0xDEADBEEF); // reserved, never read
    out.push_back(h.flag);
    out.push_back(0xAA), out.push_back(0xBB), out.push_back(0xCC);
    return out;
}

// Writes bytes into this test's folder; returns the program path ("\...\name").
std::wstring write_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    static const std::string folder = make_test_folder("picture_test");
    write_test_file(folder + "/" + name, bytes);
    return wide_path(folder + "/" + name);
}

std::wstring write_picture(const std::string& name, const FileHeader& h,
                           const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = header_bytes(h);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return write_file(name, bytes);
}

std::vector<uint8_t> buffer_of(const Picture& p) {
    return std::vector<uint8_t>(p.pixels, p.pixels + size_t(p.capacity_width) * p.capacity_height);
}

std::vector<uint8_t> ramp(size_t n, uint8_t start = 1) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(start + i);
    return v;
}

class PictureLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_reset();
        init_picture(&picture, 20, 20);
        ASSERT_NE(picture.pixels, nullptr);
    }
    void TearDown() override { release_picture(&picture); }
    std::vector<std::string> messages() { return headless_messages(); }
    // Loads and expects failure with exactly this one message.
    void expect_failure(const std::wstring& path, const char* message) {
        size_t before = headless_messages().size();
        EXPECT_EQ(load_picture(&picture, path.c_str()), 0);
        ASSERT_EQ(headless_messages().size(), before + 1);
        EXPECT_EQ(headless_messages().back(), std::string("|") + message);
    }
    Picture picture{};
};

// [SECTION] Creating and releasing

TEST_F(PictureLoad, init_that_cannot_allocate_warns_and_no_load_can_succeed) {
    Picture broken{};
    headless_fail_allocations_after(0);
    init_picture(&broken, 30, 50);
    headless_fail_allocations_after(-1);
    EXPECT_EQ(broken.pixels, nullptr);
    EXPECT_EQ(broken.cursor, nullptr);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "|3456456");

    std::wstring empty = write_picture("empty.nbf", {0, 0, 0, 0, 0, 0}, {});
    std::wstring one = write_picture("one.nbf", {1, 1, 1, 0, 0, 0}, {9});
    EXPECT_EQ(load_picture(&broken, empty.c_str()), 0);
    EXPECT_EQ(load_picture(&broken, one.c_str()), 0);
    EXPECT_EQ(messages().back(), "|906656556");
}

TEST_F(PictureLoad, load_after_release_fails_with_no_buffer_message) {
    std::wstring path = write_picture("small.nbf", {4, 2, 2, 0, 0, 0}, {1, 2, 3, 4});
    release_picture(&picture);
    EXPECT_EQ(picture.pixels, nullptr);
    EXPECT_EQ(picture.cursor, nullptr);
    EXPECT_EQ(picture.capacity_width, 20); // the capacity is kept
    expect_failure(path, "143468465");
    release_picture(&picture);                         // a second release is harmless
    EXPECT_EQ(load_picture(nullptr, path.c_str()), 0); // nor is a record that was never made
    EXPECT_EQ(messages().back(), "|143468465");
}

// [SECTION] Raw and run-length pixels

TEST_F(PictureLoad, raw_file_loads_its_bytes_the_header_fields_and_zeroes_the_rest) {
    std::vector<uint8_t> data = ramp(100);
    std::wstring path = write_picture("raw.nbf", {100, 10, 10, 0x01020304, -2, 0}, data);
    std::fill(picture.pixels, picture.pixels + 400, 0x77);
    EXPECT_EQ(picture.width, 0); // a new picture is 0 x 0
    EXPECT_EQ(picture.cursor, picture.pixels);
    ASSERT_EQ(load_picture(&picture, path.c_str()), 1);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(picture.data_size, 100u);
    EXPECT_EQ(picture.width, 10);
    EXPECT_EQ(picture.height, 10);
    EXPECT_EQ(picture.frame_width, 0x01020304);
    EXPECT_EQ(picture.frame_height, -2);
    EXPECT_EQ(picture.flag, 0);
    std::vector<uint8_t> expected(400, 0);
    std::copy(data.begin(), data.end(), expected.begin());
    EXPECT_EQ(buffer_of(picture), expected);
}

TEST_F(PictureLoad, run_length_stream_decodes_runs_literals_and_escaped_high_indices) {
    std::wstring path =
        write_picture("rle.nbf", {0, 5, 1, 0, 0, 1}, {0xC3, 0x05, 0x07, 0xC1, 0xC8});
    ASSERT_EQ(load_picture(&picture, path.c_str()), 1);
    std::vector<uint8_t> expected(400, 0);
    uint8_t decoded[] = {0x05, 0x05, 0x05, 0x07, 0xC8};
    std::copy(decoded, decoded + 5, expected.begin());
    EXPECT_EQ(buffer_of(picture), expected);
}

TEST_F(PictureLoad,
       runs_cross_rows_empty_runs_write_nothing_and_decoding_stops_at_the_pixel_count) {
    // 3 x 2: a run of 4 crosses the row end, C0 consumes its value byte and writes nothing,
    // and the last run of 60 is cut after the 6th pixel.
    std::wstring path = write_picture("runs.nbf", {0, 3, 2, 0, 0, 1},
                                      {0xC4, 0x09, 0xC0, 0x33, 0xC1, 0xFF, 0xFC, 0x02, 0x11});
    ASSERT_EQ(load_picture(&picture, path.c_str()), 1);
    std::vector<uint8_t> expected(400, 0);
    uint8_t decoded[] = {9, 9, 9, 9, 0xFF, 0x02};
    std::copy(decoded, decoded + 6, expected.begin());
    EXPECT_EQ(buffer_of(picture), expected);
}

TEST_F(PictureLoad, smaller_picture_after_a_larger_one_leaves_zeros_not_stale_pixels) {
    std::wstring big = write_picture("big.nbf", {400, 20, 20, 0, 0, 0}, ramp(400));
    std::wstring small = write_picture("small_rle.nbf", {0, 2, 2, 0, 0, 1}, {0xC4, 0x08});
    ASSERT_EQ(load_picture(&picture, big.c_str()), 1);
    ASSERT_EQ(load_picture(&picture, small.c_str()), 1);
    std::vector<uint8_t> expected(400, 0);
    std::fill(expected.begin(), expected.begin() + 4, 8);
    EXPECT_EQ(buffer_of(picture), expected);
    EXPECT_EQ(picture.flag, 1);
}

TEST_F(PictureLoad, run_length_stream_ending_early_leaves_the_rest_zero_and_succeeds) {
    // Ends inside a run's value byte, and after a literal with pixels still missing.
    std::wstring cut_run = write_picture("cut_run.nbf", {0, 4, 4, 0, 0, 1}, {0x05, 0xC3});
    std::wstring cut = write_picture("cut.nbf", {0, 4, 4, 0, 0, 1}, {0x05, 0xC2, 0x06});
    ASSERT_EQ(load_picture(&picture, cut_run.c_str()), 1);
    std::vector<uint8_t> expected(400, 0);
    expected[0] = 5;
    EXPECT_EQ(buffer_of(picture), expected);
    ASSERT_EQ(load_picture(&picture, cut.c_str()), 1);
    expected[1] = expected[2] = 6;
    EXPECT_EQ(buffer_of(picture), expected);
    EXPECT_TRUE(messages().empty());
}

// [SECTION] Capacity

TEST(PictureCapacity, only_the_pixel_count_is_limited) {
    headless_reset();
    Picture work{}, thumb{};
    init_picture(&work, 1500, 300);
    init_picture(&thumb, 30, 50);
    std::wstring wide = write_picture("wide.nbf", {0, 1500, 300, 0, 0, 1}, {});
    std::wstring tall = write_picture("tall.nbf", {0, 300, 1500, 0, 0, 1}, {});
    std::wstring card = write_picture("card.nbf", {6000, 60, 100, 60, 100, 0}, ramp(6000));
    EXPECT_EQ(load_picture(&work, wide.c_str()), 1);
    EXPECT_EQ(load_picture(&work, tall.c_str()), 1);
    EXPECT_TRUE(headless_messages().empty());

    // The rejected file's header replaces the fields; the pixels stay those of before.
    thumb.pixels[0] = 42;
    EXPECT_EQ(load_picture(&thumb, card.c_str()), 0);
    ASSERT_EQ(headless_messages().size(), 1u);
    EXPECT_EQ(headless_messages()[0], "|906656556");
    EXPECT_EQ(thumb.width, 60);
    EXPECT_EQ(thumb.height, 100);
    EXPECT_EQ(thumb.data_size, 6000u);
    EXPECT_EQ(thumb.pixels[0], 42);
    release_picture(&work);
    release_picture(&thumb);
}

// [SECTION] Failures and damaged files

TEST_F(PictureLoad, missing_file_fails_with_its_message_and_changes_nothing) {
    picture.width = 7;
    expect_failure(L"\\tmp\\no_such_folder_for_quarnel\\x.nbf", "567768354645");
    EXPECT_EQ(picture.width, 7);
}

TEST_F(PictureLoad, damaged_sizes_are_rejected_with_the_size_message) {
    // Each would pass a signed 32-bit size test: negative sizes, products that wrap.
    const FileHeader damaged[] = {
        {0, -4, 5, 0, 0, 0},        {0, 5, -4, 0, 0, 1},         {0, -100, -100, 0, 0, 0},
        {0, 65536, 65536, 0, 0, 1}, {0, 0x7FFFFFFF, 2, 0, 0, 0}, {0, INT32_MIN, INT32_MIN, 0, 0, 1},
        {401, 20, 20, 0, 0, 0},     {0xFFFFFFFF, 1, 1, 0, 0, 0},
    };
    std::vector<uint8_t> data = ramp(500);
    int n = 0;
    for (const FileHeader& h : damaged) {
        SCOPED_TRACE(n);
        picture.pixels[0] = 42;
        expect_failure(write_picture("damaged" + std::to_string(n++) + ".nbf", h, data),
                       "906656556");
        EXPECT_EQ(picture.pixels[0], 42);
    }
}

// [SECTION] From memory and from disk

// The pictures' fields and whole buffer, to compare two loads.
std::vector<uint8_t> fields_and_buffer(const Picture& p) {
    std::vector<uint8_t> out =
        header_bytes({p.data_size, p.width, p.height, p.frame_width, p.frame_height, p.flag});
    std::vector<uint8_t> buffer = buffer_of(p);
    out.insert(out.end(), buffer.begin(), buffer.end());
    return out;
}

TEST(PictureDecode, memory_and_disk_decode_alike_also_with_runs_cut_between_reads) {
    // One literal, then runs of two: every run's value byte lies at an even offset of the
    // file, so a read that ends at any even offset cuts a run between its code and its value.
    headless_reset();
    const int32_t w = 200, h = 100;
    std::vector<uint8_t> stream = {7}, expected = {7};
    for (int i = 0; expected.size() < size_t(w * h); ++i) {
        stream.push_back(0xC2), stream.push_back(uint8_t(i % 200));
        expected.push_back(uint8_t(i % 200)), expected.push_back(uint8_t(i % 200));
    }
    expected.resize(size_t(w * h));
    std::vector<uint8_t> file = header_bytes({0, w, h, w, h, 1});
    file.insert(file.end(), stream.begin(), stream.end());
    Picture from_disk{}, from_memory{};
    init_picture(&from_disk, w, h);
    init_picture(&from_memory, w, h);
    ASSERT_EQ(load_picture(&from_disk, write_file("halves.nbf", file).c_str()), 1);
    PictureDecoding whole{};
    ASSERT_EQ(decode_picture(file.data(), file.size(), &from_memory, &whole), 1);
    EXPECT_EQ(buffer_of(from_disk), expected);
    EXPECT_EQ(buffer_of(from_memory), expected);
    EXPECT_EQ(whole.delivered, whole.wanted);
    EXPECT_EQ(whole.used, file.size());
    // A byte after the last pixel is never read; a file cut short delivers fewer pixels.
    file.push_back(9);
    decode_picture(file.data(), file.size(), &from_memory, &whole);
    EXPECT_EQ(whole.used, file.size() - 1);
    decode_picture(file.data(), file.size() - 100, &from_memory, &whole);
    EXPECT_LT(whole.delivered, whole.wanted);

    // Cut anywhere, or too big for the buffer, the file gives the same fields, pixels and
    // message either way; a header cut short keeps the fields it does not reach.
    file[8] = 101; // 200 x 101: one row too many for the buffer
    for (size_t cut : {size_t(0), size_t(9), size_t(27), size_t(28), size_t(5001), file.size()}) {
        SCOPED_TRACE(cut);
        const std::vector<uint8_t> part(file.begin(), file.begin() + long(cut));
        const std::wstring path = write_file("cut" + std::to_string(cut) + ".nbf", part);
        for (Picture* p : {&from_disk, &from_memory}) {
            p->data_size = 5, p->width = 3, p->height = 4, p->flag = 0;
            std::fill(p->pixels, p->pixels + w * h, 0x55);
        }
        const size_t messages = headless_messages().size();
        const int loaded = load_picture(&from_disk, path.c_str());
        PictureDecoding decoding{};
        EXPECT_EQ(decode_picture(part.data(), part.size(), &from_memory, &decoding), loaded);
        const wchar_t* fault = decoding.fault;
        EXPECT_EQ(headless_messages().size(), messages + (loaded ? 0 : 1));
        if (!loaded) {
            EXPECT_EQ(headless_messages().back(), "|" + std::string(fault, fault + wcslen(fault)));
        }
        EXPECT_EQ(fields_and_buffer(from_memory), fields_and_buffer(from_disk));
    }
    release_picture(&from_disk);
    release_picture(&from_memory);
}

// [SECTION] The generated install folder

TEST(PictureData, generated_strips_font_and_palette_load_into_the_programs_capacities) {
    headless_reset();
    std::string pictures = data_dir() + "/picture";
    Picture sheet{}, font{};
    init_picture(&sheet, 4740, 100);
    init_picture(&font, 240, 320);
    EXPECT_EQ(load_picture(&sheet, wide_path(pictures + "/card.nbf").c_str()), 1);
    EXPECT_EQ(sheet.width, 4740);
    EXPECT_EQ(sheet.height, 100);
    EXPECT_EQ(sheet.frame_width, 60);
    EXPECT_EQ(sheet.frame_height, 100);
    EXPECT_EQ(load_picture(&font, wide_path(pictures + "/font.nbf").c_str()), 1);
    EXPECT_GE(font.width, 380);
    EXPECT_GE(font.height, 12);
    Palette palette{};
    EXPECT_EQ(load_palette(wide_path(pictures + "/main.plf").c_str(), &palette), 1);
    EXPECT_TRUE(headless_messages().empty());
    release_picture(&sheet), release_picture(&font);
}

} // namespace
