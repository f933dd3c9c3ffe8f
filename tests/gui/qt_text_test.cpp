#include "gui/qt_text.h"

#include <gtest/gtest.h>

namespace wl {
namespace {

TEST(QtText, KeepsEveryUnitBothWays) {
    const std::u16string text = u"Fl\u00fcsse \U0001F600 \u00df";
    EXPECT_EQ(FromQString(ToQString(text)), text);
    EXPECT_EQ(ToQString(u"").size(), 0);
}

TEST(QtText, ShowsLineBreaksAsQtDoes) {
    EXPECT_EQ(ToShownText(u"Error\r\nCan't add file a\r\nb"),
              QString("Error\nCan't add file a\nb"));
    EXPECT_EQ(ToShownText(u"lone\rreturn"), QString("lone\rreturn"));
}

}  // namespace
}  // namespace wl
