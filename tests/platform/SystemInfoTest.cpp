#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <sys/utsname.h>

TEST(SystemInfo, VersionLineIsNameAndMajorMinorOfTheRelease)
{
    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    const AnsiString line = SystemVersionLine();
    const QRegularExpressionMatch m = QRegularExpression("^(\\S+) (\\d+)\\.(\\d+)$").match(ToQ(line));
    ASSERT_TRUE(m.hasMatch()) << line;
    EXPECT_EQ(FromQ(m.captured(1)), u.sysname);
    // "6.1.0-18-amd64" gives "6.1": the release starts with the two numbers shown.
    EXPECT_EQ(AnsiString(u.release).rfind(FromQ(m.captured(2) + "." + m.captured(3)), 0), 0u) << u.release;
}

TEST(SystemInfo, UserAndLanguageNamesAreGiven)
{
    EXPECT_FALSE(UserName().empty());
    EXPECT_FALSE(LanguageName().empty());
    EXPECT_FALSE(NativeLanguageName().empty());
    EXPECT_EQ(LanguageName().find("C ("), AnsiString::npos);
}
