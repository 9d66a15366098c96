// Matching file names against masks, without a list.
#include "filelists/file_mask.h"
#include "qt_print.h"

#include <gtest/gtest.h>

using filelists::MaskMatcher;
using filelists::maskPatterns;
using filelists::matchesPattern;

namespace {

struct Case {
    const char* name;
    const char* pattern;
    bool matches;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << '"' << c.name << "\" against \"" << c.pattern << '"';
}

class PatternMatching : public ::testing::TestWithParam<Case> {};

TEST_P(PatternMatching, AgreesForOnePatternAndThroughAMatcher) {
    const Case& c = GetParam();
    EXPECT_EQ(matchesPattern(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.matches)
        << c.name << " against " << c.pattern;
    EXPECT_EQ(MaskMatcher(QString::fromUtf8(c.pattern)).matchCount(QByteArray(c.name)),
              c.matches ? 1 : 0)
        << c.name << " against " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Wildcards, PatternMatching,
    ::testing::Values(
        // Extensions, without regard to case.
        Case{"photo.jpg", "*.jpg", true}, Case{"PHOTO.JPG", "*.jpg", true},
        Case{"Photo.JpG", "*.JPG", true}, Case{"photo.jpeg", "*.jpg", false},
        Case{"photo.jpg.txt", "*.jpg", false}, Case{"jpg", "*.jpg", false},
        Case{".jpg", "*.jpg", true}, Case{"a.b.jpg", "*.jpg", true},
        // Stars and question marks anywhere.
        Case{"abc", "a?c", true}, Case{"ac", "a?c", false}, Case{"abbc", "a?c", false},
        Case{"abc", "a*", true}, Case{"xabc", "a*", false}, Case{"abc", "*b*", true},
        Case{"img001.png", "img???.png", true}, Case{"img01.png", "img???.png", false},
        Case{"aXbXc", "a*b*c", true}, Case{"aXbXd", "a*b*c", false},
        // Exact names.
        Case{"readme", "README", true}, Case{"readme2", "readme", false},
        // "*.*" and a final ".*" also match names without that dot.
        Case{"README", "*.*", true}, Case{"a.b", "*.*", true}, Case{"README", "*", true},
        Case{"abc", "abc.*", true}, Case{"abc.def", "abc.*", true}, Case{"abcd", "abc.*", false},
        // Beyond ASCII: case folding and one "?" per character.
        Case{"Ärger.JPG", "ärger.jpg", true}, Case{"straße.png", "STRASSE.PNG", false},
        Case{"日本.gif", "??.gif", true}, Case{"日本.gif", "?.gif", false},
        Case{"ÉTÉ.Tif", "*.tif", true},
        // An empty pattern matches nothing.
        Case{"a.jpg", "", false}));

TEST(MaskPatterns, SplitAtSemicolonsUnchanged) {
    EXPECT_EQ(maskPatterns("*.jpg;*.gif"), (QStringList{"*.jpg", "*.gif"}));
    EXPECT_EQ(maskPatterns(" *.jpg;*.gif "), (QStringList{" *.jpg", "*.gif "}));
    EXPECT_EQ(maskPatterns("*.jpg;;"), (QStringList{"*.jpg", "", ""}));
    EXPECT_EQ(maskPatterns("*.*"), QStringList{"*.*"});
}

TEST(MaskMatcher, CountsEveryPatternThatMatches) {
    const MaskMatcher twice("*.jpg;*.gif;*.JPG");
    EXPECT_EQ(twice.patternCount(), 3);
    EXPECT_EQ(twice.matchCount(QByteArray("a.jpg")), 2);
    EXPECT_EQ(twice.matchCount(QByteArray("a.gif")), 1);
    EXPECT_EQ(twice.matchCount(QByteArray("a.png")), 0);
    const MaskMatcher overlapping("a*;*.jpg");
    EXPECT_EQ(overlapping.matchCount(QByteArray("a.jpg")), 2);
    EXPECT_EQ(overlapping.matchCount(QByteArray("b.jpg")), 1);
}

TEST(MaskMatcher, NamesThatAreNotUtf8MatchByTheirAsciiPart) {
    const MaskMatcher mask("*.png;x?.png");
    EXPECT_EQ(mask.matchCount(QByteArray("\xff\xfe.png")), 1);
    // The invalid byte reads as one replacement character.
    EXPECT_EQ(mask.matchCount(QByteArray("x\xff.png")), 2);
    EXPECT_EQ(mask.matchCount(QByteArray("\xff\xfe.jpg")), 0);
}

TEST(MaskMatcher, BlanksInPatternsAreKept) {
    const MaskMatcher mask(" *.jpg;*.gif");
    EXPECT_EQ(mask.matchCount(QByteArray("a.jpg")), 0);
    EXPECT_EQ(mask.matchCount(QByteArray(" a.jpg")), 1);
    EXPECT_EQ(mask.matchCount(QByteArray("a.gif")), 1);
}

} // namespace
