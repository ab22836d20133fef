// How messages travel the window tree: up the parent chain (translated, stopped at an
// activatable ancestor, raising every level, refused by a disabled receiver) and down it in
// broadcasts (order, early stop and the skipping flags).
#include "window_recorder.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

// root (at 7, 9, which no translation may add) > a (10, 20, activatable) > b (3, 4) > c (100, 50)
class UpRouting : public testing::Test {
protected:
    void SetUp() override
    {
        root = MakeProbe(log, "root", &env, nullptr, { 7, 9, 400, 300 }, GUIB_WF_ACTIVATABLE);
        a = MakeProbe(log, "a", &env, root, { 10, 20, 300, 200 }, GUIB_WF_ACTIVATABLE);
        b = MakeProbe(log, "b", &env, a, { 3, 4, 200, 150 });
        c = MakeProbe(log, "c", &env, b, { 100, 50, 40, 30 });
        log.Clear();
    }
    void TearDown() override { root->Drop(); }

    c_GUIB_Environment env;
    Recorder log;
    Probe* root;
    Probe* a;
    Probe* b;
    Probe* c;
};

TEST_F(UpRouting, PointsGainThePositionOfEveryWindowBelowTheRoot)
{
    GUIB_Point p { 1, 2 };
    c->ToRoot(&p); // c's own position counts
    EXPECT_EQ(p, (GUIB_Point { 1 + 100 + 3 + 10, 2 + 50 + 4 + 20 }));
    GUIB_Point sent { 1, 2 };
    (void)c->SendUp(GUIB_MSG_TO_ROOT, reinterpret_cast<uintptr_t>(&sent), 0); // c's does not
    EXPECT_EQ(sent, (GUIB_Point { 1 + 3 + 10, 2 + 4 + 20 }));

    GUIB_Point hint { 1, 2 };
    const char16_t text[] = u"tip";
    (void)c->SendUp(
        GUIB_MSG_SHOW_HINT, reinterpret_cast<uintptr_t>(&hint), reinterpret_cast<uintptr_t>(text));

    EXPECT_EQ(log.Receivers(GUIB_MSG_TO_ROOT), (Names { "root", "root" }));
    ASSERT_EQ(log.Receivers(GUIB_MSG_SHOW_HINT), Names { "root" });
    const Heard shown = log.Of("root", false).back();
    EXPECT_EQ(shown.at, (GUIB_Point { 14, 26 }));
    EXPECT_EQ(shown.text, u"tip");
}

TEST_F(UpRouting, InvalidatedRectanglesArriveInRootCoordinates)
{
    GUIB_Rect r { 1, 2, 5, 6 };
    c->Invalidate(&r);
    GUIB_Rect up { 1, 2, 5, 6 };
    (void)c->SendUp(GUIB_MSG_INVALIDATE, 0, reinterpret_cast<uintptr_t>(&up));

    ASSERT_EQ(log.Receivers(GUIB_MSG_INVALIDATE), (Names { "root", "root" }));
    const std::vector<Heard> heard = log.Of("root", false);
    EXPECT_EQ(heard[0].rect, (GUIB_Rect { 114, 76, 118, 80 })); // c's own position counts
    EXPECT_EQ(heard[1].rect, (GUIB_Rect { 14, 26, 18, 30 }));
}

TEST_F(UpRouting, RootMessagesPassDisabledWindowsAndBringTheRootsAnswerBack)
{
    a->Enable(false);
    const uint32_t toRoot[] = { GUIB_MSG_ENTERED, GUIB_MSG_LEFT, GUIB_MSG_CAPTURE, GUIB_MSG_RELEASE,
        GUIB_MSG_FOCUS_GAINED, GUIB_MSG_FOCUS_LOST, GUIB_MSG_GET_MODIFIERS, GUIB_MSG_CLOSE,
        GUIB_MSG_VISIBLE_RECT, GUIB_MSG_HIDE_HINT, GUIB_MSG_SIGNAL, GUIB_MSG_GET_ROOT };
    uintptr_t scratch = 0; // some of them carry a pointer to an answer
    const auto p1 = reinterpret_cast<uintptr_t>(&scratch);
    for (uint32_t message : toRoot) {
        root->answers[message] = 0x99;
        EXPECT_EQ(c->SendUp(message, p1, 0), 0x99u) << "message " << message;
        EXPECT_EQ(log.Receivers(message), Names { "root" }) << "message " << message;
        EXPECT_EQ(log.heard.back().p1, p1) << "message " << message;
    }
}

// Other messages stop at the parent; a disabled receiver answers 0 and hears nothing.
TEST_F(UpRouting, OtherMessagesStopAtTheParentUnlessItIsDisabled)
{
    b->answers[1000] = 3;
    EXPECT_EQ(c->SendUp(1000, 0, 0), 3u);
    EXPECT_EQ(c->SendUp(GUIB_MSG_KEY_DOWN, 0x10061, 0), 0u);
    EXPECT_EQ(log.Receivers(1000), Names { "b" });
    EXPECT_EQ(log.Receivers(GUIB_MSG_KEY_DOWN), Names { "b" });
    log.Clear();
    b->Enable(false);
    EXPECT_EQ(c->SendUp(1000, 0, 0), 0u);
    root->answers[GUIB_MSG_CLOSE] = 1;
    root->Enable(false);
    EXPECT_EQ(c->SendUp(GUIB_MSG_CLOSE, 42, 0), 0u);
    EXPECT_EQ(root->SendUp(1000, 0, 0), 0u) << "a root has nobody to send to";
    EXPECT_TRUE(log.heard.empty());
}

TEST_F(UpRouting, ActivationStopsAtTheFirstActivatableAncestorAndMovesBetweenSiblings)
{
    EXPECT_EQ(c->SendUp(GUIB_MSG_ACTIVATED, reinterpret_cast<uintptr_t>(c), 0), 1u);
    EXPECT_EQ(a->GetActiveChild(), c);
    EXPECT_EQ(root->GetActiveChild(), nullptr);

    EXPECT_EQ(c->SendUp(GUIB_MSG_GONE, reinterpret_cast<uintptr_t>(b), 0), 1u);
    EXPECT_EQ(a->GetActiveChild(), c) << "gone of another window keeps the active child";
    EXPECT_EQ(c->SendUp(GUIB_MSG_GONE, reinterpret_cast<uintptr_t>(c), 0), 1u);
    EXPECT_EQ(a->GetActiveChild(), nullptr);
    EXPECT_TRUE(log.Receivers(GUIB_MSG_ACTIVATED).empty());
    EXPECT_TRUE(log.Receivers(GUIB_MSG_GONE).empty());

    // Activating a sibling deactivates the previous one.
    Probe* x = MakeProbe(log, "x", &env, b, { 0, 0, 10, 10 }, GUIB_WF_ACTIVATABLE);
    Probe* y = MakeProbe(log, "y", &env, b, { 0, 0, 10, 10 }, GUIB_WF_ACTIVATABLE);
    x->Activate();
    EXPECT_EQ(a->GetActiveChild(), x);
    EXPECT_NE(x->GetFlags() & GUIB_WF_ACTIVE, 0u);
    EXPECT_EQ(b->GetChild(0), x) << "activation raises the window";

    y->Activate();
    EXPECT_EQ(a->GetActiveChild(), y);
    EXPECT_EQ(x->GetFlags() & GUIB_WF_ACTIVE, 0u);
    EXPECT_NE(y->GetFlags() & GUIB_WF_ACTIVE, 0u);
    std::vector<uintptr_t> toX;
    for (const Heard& h : log.Of("x", false))
        if (h.code == GUIB_MSG_ACTIVATED)
            toX.push_back(h.p1);
    EXPECT_EQ(toX, (std::vector<uintptr_t> { 1, 0 }));
}

TEST_F(UpRouting, ToFrontRaisesTheWindowAndEveryAncestor)
{
    using Children = std::vector<c_GUIB_Window*>;
    auto children = [](const c_GUIB_Window* w) {
        return Children { w->GetChild(0), w->GetChild(1), w->GetChild(2) };
    };
    Probe* rootFront = MakeProbe(log, "rootFront", &env, root, { 0, 0, 5, 5 });
    Probe* aFront = MakeProbe(log, "aFront", &env, a, { 0, 0, 5, 5 });
    Probe* bFront = MakeProbe(log, "bFront", &env, b, { 0, 0, 5, 5 });
    ASSERT_EQ(children(b), (Children { bFront, c, nullptr })) << "a new child is the front one";
    c->ToFront();
    EXPECT_EQ(children(b), (Children { c, bFront, nullptr }));
    EXPECT_EQ(children(a), (Children { b, aFront, nullptr }));
    EXPECT_EQ(children(root), (Children { a, rootFront, nullptr }));
    EXPECT_NE(c->GetFlags() & GUIB_WF_DIRTY, 0u);
}

// root > c0 (front) > g, c1 > h, c2 (back). Every window can be told to answer non-zero.
class BroadcastOrder : public testing::Test {
protected:
    void SetUp() override
    {
        root = Add("root", nullptr);
        c2 = Add("c2", root);
        c1 = Add("c1", root);
        c0 = Add("c0", root);
        Add("g", c0);
        Add("h", c1);
    }
    void TearDown() override { root->Drop(); }
    Probe* Add(const std::string& name, Probe* parent)
    {
        return named[name] = MakeProbe(log, name.c_str(), &env, parent, { 0, 0, 10, 10 });
    }

    c_GUIB_Environment env;
    Recorder log;
    std::map<std::string, Probe*> named;
    Probe* root;
    Probe* c0;
    Probe* c1;
    Probe* c2;
};

TEST_F(BroadcastOrder, FollowsTheFlags)
{
    const uint32_t ALL = GUIB_BC_ALL;
    const uint32_t REVERSE = GUIB_BC_REVERSE;
    struct Case {
        const char* what;
        uint32_t flags;
        const char* answering; // answers 5
        const char* disabled;
        const char* hidden;
        Names heard;
    };
    const Case cases[] = {
        { "front to back, own message after the children", ALL, "", "", "",
            { "g", "c0", "h", "c1", "c2", "root" } },
        { "back to front", REVERSE | ALL, "", "", "", { "c2", "h", "c1", "g", "c0", "root" } },
        { "stops after the first non-zero child", 0, "c1", "", "",
            { "g", "c0", "h", "c1", "root" } },
        { "reversed stop", REVERSE, "c1", "", "", { "c2", "h", "c1", "root" } },
        { "a subtree answers with its own window's answer", 0, "h", "", "",
            { "g", "c0", "h", "c1", "c2", "root" } },
        { "all goes on past non-zero", ALL, "c0", "", "", { "g", "c0", "h", "c1", "c2", "root" } },
        { "disabled windows hear broadcasts", ALL, "", "c1", "",
            { "g", "c0", "h", "c1", "c2", "root" } },
        { "skip disabled", GUIB_BC_SKIP_DISABLED | ALL, "", "c1", "", { "g", "c0", "c2", "root" } },
        { "skip hidden", GUIB_BC_SKIP_HIDDEN | ALL, "", "", "c1", { "g", "c0", "c2", "root" } },
        { "no children", GUIB_BC_NO_CHILDREN | ALL, "", "", "", { "root" } },
        { "hidden root", GUIB_BC_SKIP_HIDDEN | ALL, "", "", "root", {} },
    };
    for (const Case& test : cases) {
        if (*test.answering)
            named[test.answering]->answers[1000] = 5;
        if (*test.disabled)
            named[test.disabled]->Enable(false);
        if (*test.hidden)
            named[test.hidden]->Show(false);
        log.Clear();
        (void)root->Broadcast(1000, 0, 0, test.flags);
        EXPECT_EQ(log.Receivers(1000), test.heard) << test.what;
        TearDown();
        SetUp();
    }
}

TEST_F(BroadcastOrder, AnswersWithTheStartingWindowsOwnAnswer)
{
    c0->answers[1000] = 5;
    EXPECT_EQ(root->Broadcast(1000, 0, 0, 0), 0u);
    root->answers[1000] = 9;
    EXPECT_EQ(root->Broadcast(1000, 0, 0, 0), 9u);
    (void)c1->BroadcastChildren(1000, 0, 0, GUIB_BC_ALL);
    EXPECT_EQ(log.Receivers(1000), (Names { "g", "c0", "root", "g", "c0", "root", "h" }));
}

}
