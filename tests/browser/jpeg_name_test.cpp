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
        {"/pics/caf\xE9.bmp", "caf\xE9.jpg"}, {"/pics/a\xEF\xBF\xBD.bmp", "a\xEF\xBF\xBD.jpg"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(browser::proposedJpegName(QByteArray(path)), QByteArray(name)) << path;
}
