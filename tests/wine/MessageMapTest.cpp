#include "CCmdTarget.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Base : public CCmdTarget {
public:
    std::string log;
    void OnFirst() { log += "base-first "; }
    void OnSecond() { log += "base-second "; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Base, CCmdTarget)
ON_COMMAND(1, Base::OnFirst)
ON_COMMAND(2, Base::OnSecond)
END_MESSAGE_MAP()

class Derived : public Base {
public:
    void OnFirst() { log += "derived-first "; }
    void OnClicked() { log += "clicked "; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Base)
ON_COMMAND(1, Derived::OnFirst)
ON_BN_CLICKED(7, Derived::OnClicked)
END_MESSAGE_MAP()

} // namespace

TEST(MessageMap, TheMostDerivedEntryWinsAndBasesFillTheRest) {
    Derived target;
    EXPECT_TRUE(target.OnCmdMsg(1, 0));
    EXPECT_TRUE(target.OnCmdMsg(2, 0));
    EXPECT_EQ(target.log, "derived-first base-second ");
}

TEST(MessageMap, UnhandledCommandsAndNotificationsAreLeftAlone) {
    Derived target;
    EXPECT_FALSE(target.OnCmdMsg(3, 0));
    EXPECT_FALSE(target.OnCmdMsg(7, EN_CHANGE));
    EXPECT_TRUE(target.OnCmdMsg(7, BN_CLICKED));
    EXPECT_EQ(target.log, "clicked ");
}
