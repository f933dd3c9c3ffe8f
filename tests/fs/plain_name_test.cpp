// IsPlainName: which texts may become one name inside a destination folder.

#include <string>

#include "fs/file_ops.h"
#include "gtest/gtest.h"

namespace wl {
namespace {

TEST(PlainNameTest, AcceptsOnlySingleRepresentableNames) {
    struct Case {
        std::u16string name;
        bool plain;
    } cases[] = {
        {u"route1", true},
        {u"Messdaten \u00FCber Pumpe", true},
        {u"...", true},
        {u".hidden", true},
        {u"\U0001F600", true},  // a surrogate pair is one well-formed character
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"a/b", false},
        {u"a\\b", false},
        {u"/", false},
        {std::u16string(u"a\0b", 3), false},
        {u"lone\xD800", false},
        {u"\xDC00", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPlainName(c.name), c.plain) << c.name.size();
    }
}

}  // namespace
}  // namespace wl
