#include "pdf/DeflatePool.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <libdeflate.h>

#include <string>
#include <vector>

using namespace marlet;

namespace {

std::string inflate(std::string_view deflated, std::size_t size) {
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    std::string out(size, '\0');
    std::size_t got = 0;
    const libdeflate_result result = libdeflate_zlib_decompress(
        decompressor, deflated.data(), deflated.size(), out.data(), out.size(), &got);
    libdeflate_free_decompressor(decompressor);
    EXPECT_EQ(result, LIBDEFLATE_SUCCESS);
    out.resize(got);
    return out;
}

// Page-like streams of very different sizes, so that workers finish out of order.
std::string stream(int index) {
    std::string text;
    for (int i = 0; i < (index % 7) * 900 + 1; ++i)
        text += std::to_string(index * 31 + i) + " 0 m ";
    return text;
}

} // namespace

TEST(DeflatePoolTest, StreamsComeBackCompressedInTheOrderTheyCame) {
    for (int threads : {1, 3}) {
        DeflatePool pool(6, threads);
        std::vector<int> order;
        for (int index = 0; index < 60; ++index) {
            pool.submit(stream(index), [&order, index](std::string_view deflated) {
                EXPECT_EQ(inflate(deflated, stream(index).size()), stream(index));
                order.push_back(index);
            });
        }
        pool.finish();
        ASSERT_EQ(order.size(), 60u) << threads << " threads";
        for (int index = 0; index < 60; ++index)
            EXPECT_EQ(order[static_cast<std::size_t>(index)], index);
    }
    EXPECT_GE(DeflatePool::spareCores(), 1);
}

TEST(DeflatePoolTest, AFailedWriteStopsTheRestAndReachesTheCaller) {
    DeflatePool pool(6, 2);
    std::vector<int> written;
    // The failure reaches whichever call comes next: a later submit() or finish().
    try {
        for (int index = 0; index < 20; ++index) {
            pool.submit(stream(index), [&written, index](std::string_view) {
                if (index == 3)
                    throw Error("Cannot write file");
                written.push_back(index);
            });
        }
        pool.finish();
        FAIL() << "no failure reported";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Cannot write file");
    }
    pool.finish();
    EXPECT_EQ(written, (std::vector<int>{0, 1, 2}));
}
