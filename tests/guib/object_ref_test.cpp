// GUIB_Ref: every holder gives back exactly the reference it took, so an object goes exactly
// once, when its last holder lets it go, and never while references remain (the base class
// traces that).
#include "guib/guib.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

int g_earlyDeletions = 0;

void CountEarlyDeletion(uint32_t tag, int, const char*)
{
    if (tag == SYS_TAG_GUIB)
        ++g_earlyDeletions;
}

class Probe : public c_GUIB_BasicObject {
public:
    explicit Probe(int& destroyed)
        : m_destroyed(destroyed)
    {
    }
    ~Probe() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

class ObjectRef : public testing::Test {
protected:
    void SetUp() override { m_previous = SYS_SetTraceSink(CountEarlyDeletion); }
    void TearDown() override
    {
        (void)SYS_SetTraceSink(m_previous);
        EXPECT_EQ(g_earlyDeletions, 0) << "an object was destroyed while references remained";
        g_earlyDeletions = 0;
    }
    GUIB_Ref<Probe> MakeProbe() { return GUIB_Ref<Probe>::Adopt(new Probe(destroyed)); }

    int destroyed = 0;

private:
    SYS_TraceSink m_previous = nullptr;
};

TEST_F(ObjectRef, AdoptTakesOverTheFirstReference)
{
    {
        GUIB_Ref<Probe> ref = MakeProbe();
        EXPECT_EQ(ref->GetRefCount(), 1u);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, FromAPointerTakesAReferenceOfItsOwn)
{
    auto* object = new Probe(destroyed);
    {
        GUIB_Ref<Probe> ref(object);
        EXPECT_EQ(object->GetRefCount(), 2u);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, CopiesCountAndTheLastOneDestroys)
{
    GUIB_Ref<Probe> first = MakeProbe();
    {
        std::vector<GUIB_Ref<Probe>> copies(3, first);
        EXPECT_EQ(first->GetRefCount(), 4u);
    }
    EXPECT_EQ(first->GetRefCount(), 1u);
    EXPECT_EQ(destroyed, 0);
    first.Reset();
    EXPECT_FALSE(first);
    EXPECT_EQ(destroyed, 1);
    first.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, MoveHandsTheReferenceOnWithoutCounting)
{
    GUIB_Ref<Probe> source = MakeProbe();
    Probe* object = source.Get();
    GUIB_Ref<Probe> moved(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(moved.Get(), object);
    EXPECT_EQ(object->GetRefCount(), 1u);
    GUIB_Ref<Probe> assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved);
    EXPECT_EQ(object->GetRefCount(), 1u);
    assigned.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, AssignmentReleasesTheOldObject)
{
    GUIB_Ref<Probe> ref = MakeProbe();
    GUIB_Ref<Probe> other = MakeProbe();
    ref = other;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(other->GetRefCount(), 2u);
    ref = GUIB_Ref<Probe>();
    EXPECT_EQ(other->GetRefCount(), 1u);
}

TEST_F(ObjectRef, SelfAssignmentKeepsTheOnlyReference)
{
    GUIB_Ref<Probe> ref = MakeProbe();
    GUIB_Ref<Probe>& same = ref;
    ref = same;
    EXPECT_EQ(ref->GetRefCount(), 1u);
    ref = std::move(same);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->GetRefCount(), 1u);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(ObjectRef, DerivedConvertsToBase)
{
    GUIB_Ref<Probe> probe = MakeProbe();
    GUIB_Ref<c_GUIB_BasicObject> copied = probe;
    EXPECT_EQ(copied->GetRefCount(), 2u);
    GUIB_Ref<c_GUIB_BasicObject> moved = std::move(probe);
    EXPECT_FALSE(probe);
    EXPECT_EQ(moved->GetRefCount(), 2u);
    copied.Reset();
    moved.Reset();
    EXPECT_EQ(destroyed, 1);
}

}
