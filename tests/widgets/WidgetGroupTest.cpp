#include "tests/widgets/Recorders.h"
#include "widgets/Button.h"
#include "widgets/WidgetGroup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// A button that logs its drawing and counts its deletion.
class TracedButton : public Button {
public:
    TracedButton(const char* name, std::int32_t x, std::int32_t y, Sprite* picture, Log& log, int* deleted = nullptr)
        : Button(x, y, picture, nullptr, nullptr, nullptr, nullptr, 0, -1, -1, 0, 0),
          name(name), log(log), deleted(deleted)
    {
    }
    ~TracedButton() override
    {
        if (deleted)
            ++*deleted;
    }
    void draw() override { log.push_back(std::string(name) + " drawn"); }

private:
    const char* name;
    Log& log;
    int* deleted;
};

class Group : public ::testing::Test {
protected:
    Group() : picture("pic", 40, 20, log), listener("L", log) {}

    // Two 40 x 20 buttons overlapping on x 120..139: a at (100, 100),
    // b at (120, 100); both tell the same listener.
    void makeTwo()
    {
        a = new TracedButton("a", 100, 100, &picture, log);
        b = new TracedButton("b", 120, 100, &picture, log);
        a->addListener(&listener);
        b->addListener(&listener);
        group.show(a);
        group.show(b);
    }

    void TearDown() override
    {
        group.hideAll();
        group.deleteAll();
    }

    Log log;
    RecordingSprite picture;
    RecordingListener listener;
    WidgetGroup group;
    TracedButton* a = nullptr;
    TracedButton* b = nullptr;
};

TEST_F(Group, OverlappingButtonsBothTakeThePress)
{
    makeTwo();
    EXPECT_TRUE(group.mouseDown(125, 105));
    EXPECT_TRUE(a->isPressed());
    EXPECT_TRUE(b->isPressed());
    EXPECT_EQ(2u, log.size());
    EXPECT_THAT(log, UnorderedElementsAre("L pressed 125,105", "L pressed 125,105"));
}

TEST_F(Group, PressOnEmptyScreenChangesNothing)
{
    makeTwo();
    EXPECT_FALSE(group.mouseDown(10, 10));
    EXPECT_FALSE(a->isPressed());
    EXPECT_FALSE(b->isPressed());
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(Group, ReleaseAnywhereEndsThePressOnce)
{
    makeTwo();
    ASSERT_TRUE(group.mouseDown(105, 105));
    EXPECT_TRUE(group.mouseMove(300, 300));
    EXPECT_TRUE(group.mouseUp(300, 300));
    EXPECT_FALSE(a->isPressed());
    EXPECT_FALSE(group.mouseUp(300, 300));
    EXPECT_FALSE(group.mouseMove(105, 105));
    EXPECT_THAT(log, ElementsAre("L pressed 105,105", "L dragged 300,300", "L released 300,300"));
}

TEST_F(Group, ClickThroughTheGroup)
{
    makeTwo();
    group.mouseDown(105, 105);
    group.mouseUp(106, 106);
    EXPECT_THAT(log, ElementsAre("L pressed 105,105", "L released 106,106", "L action"));
}

TEST_F(Group, HiddenPressedButtonWaitsForItsRelease)
{
    makeTwo();
    group.mouseDown(105, 105);
    group.hide(a);
    EXPECT_FALSE(group.mouseUp(105, 105));
    EXPECT_TRUE(a->isPressed());
    EXPECT_TRUE(group.isMember(a));
    group.show(a);
    EXPECT_TRUE(group.mouseUp(105, 105));
    EXPECT_FALSE(a->isPressed());
}

TEST_F(Group, ShowTwiceHideOnce)
{
    makeTwo();
    group.show(a);
    group.hide(a);
    EXPECT_FALSE(group.isShown(a));
    group.draw();
    EXPECT_THAT(log, ElementsAre("b drawn"));
}

TEST_F(Group, ShowAllAfterHideAllShowsExactlyTheMembers)
{
    makeTwo();
    auto* hidden = new TracedButton("c", 0, 0, &picture, log);
    group.add(hidden);
    group.add(nullptr);
    group.show(nullptr);
    EXPECT_FALSE(group.isShown(hidden));
    group.hideAll();
    EXPECT_TRUE(group.getShown().empty());
    group.showAll();
    EXPECT_EQ(group.getMembers(), group.getShown());
    EXPECT_EQ(3u, group.getShown().size());
}

TEST_F(Group, DrawsAndDispatchesInAddressOrder)
{
    makeTwo();
    group.draw();
    const bool aFirst = a < b;
    EXPECT_THAT(log, ElementsAre(aFirst ? "a drawn" : "b drawn", aFirst ? "b drawn" : "a drawn"));
}

TEST_F(Group, RemoveKeepsDrawingAndDeleteAllSparesIt)
{
    int deleted = 0;
    auto* kept = new TracedButton("kept", 0, 0, &picture, log, &deleted);
    auto* owned = new TracedButton("owned", 50, 0, &picture, log, &deleted);
    group.show(kept);
    group.add(owned);
    group.remove(kept);
    group.remove(nullptr);
    EXPECT_FALSE(group.isMember(kept));
    EXPECT_TRUE(group.isShown(kept));

    group.draw();
    EXPECT_THAT(log, ElementsAre("kept drawn"));

    group.deleteAll();
    EXPECT_EQ(1, deleted) << "only the member is deleted";
    EXPECT_TRUE(group.getMembers().empty());
    EXPECT_TRUE(group.isShown(kept));

    group.hide(kept);
    delete kept;
    EXPECT_EQ(2, deleted);
}

TEST_F(Group, DeleteAllStopsShowingWhatItDeleted)
{
    int deleted = 0;
    auto* shownMember = new TracedButton("member", 0, 0, &picture, log, &deleted);
    group.show(shownMember);
    group.deleteAll();
    EXPECT_EQ(1, deleted);
    EXPECT_TRUE(group.getShown().empty());
    // Nothing freed is drawn or asked (the sanitizers would see it).
    group.draw();
    EXPECT_FALSE(group.mouseDown(1, 1));
    EXPECT_FALSE(group.mouseUp(1, 1));
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(Group, DestroyingTheGroupDeletesNoComponent)
{
    int deleted = 0;
    TracedButton* c = new TracedButton("c", 0, 0, &picture, log, &deleted);
    {
        WidgetGroup local;
        local.show(c);
    }
    EXPECT_EQ(0, deleted);
    delete c;
}

TEST(GroupBank, BankBracketsTheDrawing)
{
    Log log;
    RecordingSprite picture("pic", 10, 10, log);
    RecordingBank bank(log);

    WidgetGroup empty(&bank);
    empty.draw();
    EXPECT_THAT(log, ElementsAre("bank begin", "bank end"));

    log.clear();
    Button button(5, 5, &picture, nullptr, nullptr, nullptr, nullptr, 0, -1, -1, 0, 0);
    WidgetGroup withBank(&bank);
    withBank.show(&button);
    withBank.draw();
    EXPECT_THAT(log, ElementsAre("bank begin", "pic draw frame=0 flags=9 at 5,5 colour 1,1,1,1", "bank end"));

    log.clear();
    WidgetGroup noBank;
    noBank.show(&button);
    noBank.draw();
    EXPECT_THAT(log, ElementsAre("pic draw frame=0 flags=9 at 5,5 colour 1,1,1,1"));
}

}  // namespace
