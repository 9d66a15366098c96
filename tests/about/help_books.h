// A small help file with every rule of topic lines, shared by the parsing and window tests.
#pragma once

#include <QByteArray>

namespace test {

inline const QByteArray kSmallBook = "Commentary that is never shown.\n"
                                     "  <!-- topic 9: indented, so not a topic line -->\n"
                                     "<!-- topic contents: Help Topics -->\r\n"
                                     "<p>See <a href=\"topic:1\">one</a>.</p>\r\n"
                                     "<!-- topic 1: First Steps -->\n"
                                     "<p>One</p>\n"
                                     "<!--topic 2 :  Options  -->\n"
                                     "<p>Two</p>\n"
                                     "<!-- topic 1: Second copy of one -->\n"
                                     "<p>ignored</p>\n"
                                     "<!-- topic 0: No context -->\n"
                                     "<!-- topic x: Not a number -->\n"
                                     "<p>still part of the zero topic</p>\n";

} // namespace test
