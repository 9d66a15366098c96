// The proposed JPEG name replaces the last extension only.
#include "browser/jpeg_name.h"

#include <gtest/gtest.h>

TEST(ProposedJpegName, ReplacesTheLastExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/pics/photo.bmp", "photo.jpg"},     {"/pics/my.photo.bmp", "my.photo.jpg"},
        {"/pics/photo.jpeg", "photo.jpg"},    {"/pics/photo", "photo.jpg"},
        {"/a.dir/photo", "photo.jpg"},        {"/pics/photo.JPG", "photo.jpg"},
        {"/pics/.hidden", ".hidden.jpg"},     {"photo.tar.gz.tif", "photo.tar.gz.jpg"},
        {"/pics/a b 'c'.pcx", "a b 'c'.jpg"}, {"/pics/trailing.", "trailing.jpg"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(browser::proposedJpegName(QString::fromUtf8(path)), QString::fromUtf8(name))
            << path;
}
