// The window's own state: changeable flags, enabling a subtree, ids, the environment's
// properties and what windows copy of them, and the lifetime of windows closed while they
// handle a message.
#include "window_recorder.h"

#include <gtest/gtest.h>

namespace {

class WindowState : public testing::Test {
protected:
    void SetUp() override { root = MakeProbe(log, "root", &env, nullptr, { 0, 0, 100, 100 }); }
    void TearDown() override { root->Drop(); }
    Probe* Make(const char* name, c_GUIB_Window* parent, Place place = { 10, 10, 20, 20 })
    {
        return MakeProbe(log, name, &env, parent, place);
    }

    c_GUIB_Environment env;
    Recorder log;
    Probe* root;
};

TEST_F(WindowState, OnlyChangeableBitsChangeAndOnlyRealChangesMarkDirty)
{
    struct Case {
        bool set;
        uint32_t mask;
        uint32_t changed; // bits that flip
        bool dirty;
    };
    const Case cases[] = {
        { true, GUIB_WF_DIRTY, 0, false },
        { true, GUIB_WF_CAPTURE | GUIB_WF_HOVER | GUIB_WF_NO_BITMAP, 0, false },
        { true, GUIB_WF_VISIBLE, 0, false }, // already set
        { true, GUIB_WF_KEEP_DISABLED, GUIB_WF_KEEP_DISABLED, false },
        { true, 0x0001, 0x0001, true }, { true, 0x1000 | GUIB_WF_DIRTY, 0x1000, true },
        { true, GUIB_WF_CLICK_OUTSIDE, 0, false }, // outside the mask
        { false, GUIB_WF_FOCUSABLE, GUIB_WF_FOCUSABLE, true },
        { false, GUIB_WF_DISABLED, 0, false }, // already clear
    };
    for (const Case& test : cases) {
        Probe* w = Make("w", root);
        const uint32_t before = w->GetFlags();
        ASSERT_EQ(before & GUIB_WF_DIRTY, 0u) << "a new window is not dirty";
        EXPECT_EQ(test.set ? w->SetFlags(test.mask) : w->ClearFlags(test.mask), before);
        EXPECT_EQ((w->GetFlags() ^ before) & ~GUIB_WF_DIRTY, test.changed) << test.mask;
        EXPECT_EQ((w->GetFlags() & GUIB_WF_DIRTY) != 0, test.dirty) << test.mask;
        w->Drop();
    }
}

TEST_F(WindowState, HidingInvalidatesTheSubtreeAndTellsEveryWindow)
{
    Probe* w = Make("w", root);
    Make("k", w, { 2, 3, 5, 5 });
    log.Clear();
    w->Show(false);
    EXPECT_FALSE(w->IsVisible());
    std::vector<Heard> invalidated = log.Of("root", false);
    ASSERT_EQ(invalidated.size(), 2u);
    EXPECT_EQ(invalidated[0].rect, (GUIB_Rect { 10, 10, 30, 30 }));
    EXPECT_EQ(invalidated[1].rect, (GUIB_Rect { 12, 13, 17, 18 }));
    EXPECT_EQ(log.Receivers(GUIB_MSG_VISIBILITY_CHANGED), (std::vector<std::string> { "k", "w" }));
    EXPECT_EQ(log.heard.back().p1, 0u);
    w->Show(true);
    EXPECT_EQ(log.heard.back().code, GUIB_MSG_VISIBILITY_CHANGED);
    EXPECT_EQ(log.heard.back().p1, 1u);
}

TEST_F(WindowState, AChildDisabledOnItsOwnStaysDisabledWhenItsParentIsEnabled)
{
    Probe* parent = Make("parent", root);
    Probe* own = Make("own", parent);
    Probe* other = Make("other", parent);
    Probe* grandchild = Make("grandchild", other);
    own->Enable(false);
    parent->Enable(false);
    for (Probe* w : { parent, own, other, grandchild })
        EXPECT_FALSE(w->IsEnabled());
    EXPECT_NE(own->GetFlags() & GUIB_WF_KEEP_DISABLED, 0u);
    EXPECT_EQ(other->GetFlags() & GUIB_WF_KEEP_DISABLED, 0u);

    parent->Enable(true);
    EXPECT_TRUE(parent->IsEnabled());
    EXPECT_TRUE(other->IsEnabled());
    EXPECT_TRUE(grandchild->IsEnabled());
    EXPECT_FALSE(own->IsEnabled());
    own->Enable(true);
    EXPECT_TRUE(own->IsEnabled());
}

TEST_F(WindowState, AutomaticIdsCountUpAndADuplicateIdIsNeverFound)
{
    c_GUIB_Environment fresh;
    Probe* first = MakeProbe(log, "first", &fresh, nullptr, { 0, 0, 4, 4 });
    Probe* explicitId = MakeProbe(log, "explicit", &fresh, nullptr, { 0, 0, 4, 4 }, 0, 5);
    Probe* second = MakeProbe(log, "second", &fresh, nullptr, { 0, 0, 4, 4 });
    Probe* duplicate = MakeProbe(log, "duplicate", &fresh, nullptr, { 0, 0, 4, 4 }, 0, 5);
    EXPECT_EQ(first->GetId(), 0x80000001u);
    EXPECT_EQ(second->GetId(), 0x80000002u);
    EXPECT_EQ(duplicate->GetId(), 5u);

    c_GUIB_Window* found = fresh.FindWindow(5);
    EXPECT_EQ(found, explicitId);
    EXPECT_EQ(explicitId->GetRefCount(), 2u) << "a lookup hands out a reference";
    found->Drop();
    EXPECT_EQ(fresh.RegisterWindow(duplicate), GUIB_ID_TAKEN);

    // The duplicate was never registered: its end must not unregister the first one.
    duplicate->Drop();
    found = fresh.FindWindow(5);
    EXPECT_EQ(found, explicitId);
    if (found)
        found->Drop();
    EXPECT_EQ(fresh.FindWindow(0x80000003), nullptr);
    for (Probe* w : { first, explicitId, second })
        w->Drop();
    EXPECT_EQ(fresh.FindWindow(5), nullptr);
}

TEST_F(WindowState, PropertiesThatDoNotExistAreRefused)
{
    uintptr_t value = 0;
    EXPECT_EQ(env.GetProperty(2, &value), GUIB_OUT_OF_RANGE);
    EXPECT_EQ(env.GetProperty(38, &value), GUIB_OUT_OF_RANGE);
    EXPECT_EQ(env.SetProperty(2, 1), GUIB_OUT_OF_RANGE);
    EXPECT_EQ(env.SetProperty(38, 1), GUIB_OUT_OF_RANGE);
    EXPECT_EQ(env.GetProperty(GUIB_PROP_DEFAULT_FONT, &value), GUIB_PROPERTY_EMPTY);

    const std::pair<uint32_t, uint32_t> defaults[] = { { 0, 0xFF000000 }, { 3, 0xFF738447 },
        { 9, 0xD8434F25 }, { 12, 0xD8004000 }, { 15, 0xFF000000 }, { 20, 20 }, { 22, 16 },
        { 26, 0x80000000 }, { 27, 5 }, { 36, 250 }, { 37, 50 } };
    for (auto [id, expected] : defaults) {
        ASSERT_EQ(env.GetProperty(id, &value), 0u) << id;
        EXPECT_EQ(value, expected) << id;
    }
}

TEST_F(WindowState, WindowsCopyPropertiesOnlyWhenTheyAreMade)
{
    enum Field { TEXT, FILL, SIGNAL };
    struct Copy {
        uint32_t property;
        Field field;
        uint32_t index;
    };
    const Copy copies[] = { { 0, TEXT, 0 }, { 1, TEXT, 4 }, { 3, TEXT, 6 }, { 4, TEXT, 7 },
        { 5, TEXT, 8 }, { 6, TEXT, 1 }, { 7, TEXT, 2 }, { 8, FILL, 0 }, { 9, FILL, 1 },
        { 10, FILL, 2 }, { 11, FILL, 4 }, { 13, FILL, 6 }, { 14, FILL, 7 }, { 15, FILL, 3 },
        { 16, FILL, 8 }, { 28, SIGNAL, 0 }, { 29, SIGNAL, 1 }, { 30, SIGNAL, 2 }, { 34, SIGNAL, 3 },
        { 35, SIGNAL, 4 } };
    auto read = [](const Probe* w, const Copy& c) {
        uint32_t v = 0;
        if (c.field == SIGNAL)
            return w->GetSignal(c.index);
        (void)(c.field == TEXT ? w->GetTextColour(c.index, &v) : w->GetFillColour(c.index, &v));
        return v;
    };
    Probe* before = Make("before", root);
    for (const Copy& c : copies)
        ASSERT_EQ(env.SetProperty(c.property, 0x1000 + c.property), 0u);
    ASSERT_EQ(env.SetProperty(12, 0x1012), 0u);
    ASSERT_EQ(env.SetProperty(GUIB_PROP_FRAME_STYLE, 0x1026), 0u);
    ASSERT_EQ(env.SetProperty(GUIB_PROP_TEXT_ALIGN, 0x1027), 0u);
    Probe* after = Make("after", root);

    for (const Copy& c : copies) {
        EXPECT_EQ(read(after, c), 0x1000 + c.property) << "property " << c.property;
        EXPECT_NE(read(before, c), 0x1000 + c.property) << "property " << c.property;
    }
    EXPECT_EQ(after->FrameStyle(), 0x1026u);
    EXPECT_EQ(after->TextAlign(), 0x1027u);
    EXPECT_EQ(before->FrameStyle(), 0x80000000u);
    uint32_t fill5 = 1;
    EXPECT_EQ(after->GetFillColour(5, &fill5), 0u);
    EXPECT_EQ(fill5, 0u) << "property 12 is not copied";
    EXPECT_EQ(after->GetFillColour(9, &fill5), GUIB_OUT_OF_RANGE);
}

class DeferredClose : public DesktopTest {
protected:
    static uint32_t CloseOnEnter(c_GUIB_Window* w, uintptr_t, uint32_t code, uintptr_t, uintptr_t)
    {
        if (code == GUIB_MOUSE_ENTER)
            w->Close();
        return 0;
    }
    static uint32_t RefuseClose(c_GUIB_Window*, uintptr_t, uint32_t code, uintptr_t, uintptr_t)
    {
        return code == GUIB_MSG_CLOSE;
    }
};

TEST_F(DeferredClose, AWindowClosingItselfInItsOwnHandlerLivesUntilTheNextPump)
{
    Probe* w = Make("w", { 10, 10, 20, 20 });
    w->onMouse = [](Probe* self, uint32_t event) {
        if (event == GUIB_MOUSE_LDOWN)
            self->Close();
    };
    const uint32_t id = w->GetId();
    (void)desktop->ProcessMouse(GUIB_MOUSE_LDOWN, 15, 15, 0);
    EXPECT_EQ(log.destroyed["w"], 0);
    (void)desktop->ProcessMouse(GUIB_MOUSE_LUP, 15, 15, 0);
    EXPECT_EQ(log.MouseEvents("w").back(), GUIB_MOUSE_LUP) << "a closed window still works";
    ASSERT_EQ(desktop->Pump(), 1u);
    EXPECT_EQ(log.destroyed["w"], 1);
    EXPECT_EQ(env.FindWindow(id), nullptr);
}

TEST_F(DeferredClose, AHoveredWindowClosedFromItsCallbackLeavesNoDanglingHover)
{
    Probe* w = Make("w", { 10, 10, 20, 20 });
    ASSERT_EQ(w->AddCallback(CloseOnEnter, 0), 0u);
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 15, 15, 0);
    EXPECT_EQ(desktop->GetHoverWindow(), w);
    EXPECT_EQ(log.destroyed["w"], 0);
    (void)desktop->Pump();
    EXPECT_EQ(log.destroyed["w"], 1);
    EXPECT_EQ(desktop->GetHoverWindow(), nullptr);
    (void)desktop->ProcessMouse(GUIB_MOUSE_MOVE, 50, 50, 0);
}

// A callback can refuse the close; closing twice gives back the creation reference once.
TEST_F(DeferredClose, ACloseCanBeRefusedAndTwoCloseOnce)
{
    Probe* refusing = Make("refusing", { 10, 10, 20, 20 });
    ASSERT_EQ(refusing->AddCallback(RefuseClose, 0), 0u);
    refusing->Close();
    Probe* w = Make("w", { 10, 10, 20, 20 });
    w->Grab();
    w->Close();
    w->Close();
    (void)desktop->Pump();
    EXPECT_EQ(log.destroyed["refusing"], 0);
    ASSERT_EQ(log.destroyed["w"], 0);
    EXPECT_EQ(w->GetRefCount(), 1u);
    w->Drop();
    EXPECT_EQ(log.destroyed["w"], 1);
    (void)desktop->Pump();
    EXPECT_EQ(log.destroyed["w"], 1);
}

TEST_F(DeferredClose, AParentAndItsChildClosedInOnePassAreEachDestroyedOnce)
{
    for (bool parentFirst : { true, false }) {
        log.destroyed.clear();
        Probe* parent = Make("parent", { 10, 10, 50, 50 });
        Probe* child = Make("child", { 5, 5, 10, 10 }, parent);
        (parentFirst ? parent : child)->Close();
        (parentFirst ? child : parent)->Close();
        (void)desktop->Pump();
        EXPECT_EQ(log.destroyed["parent"], 1) << parentFirst;
        EXPECT_EQ(log.destroyed["child"], 1) << parentFirst;
        EXPECT_EQ(desktop->GetChildCount(), 0u);
    }
}

}
