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

// Adopting takes over the creation reference; a pointer, a copy or a conversion to the base
// takes one of its own; the last holder to let go destroys the object, once.
TEST_F(ObjectRef, EachHolderTakesAndGivesBackOneReference)
{
    auto* object = new Probe(destroyed);
    {
        GUIB_Ref<Probe> ref(object);
        std::vector<GUIB_Ref<Probe>> copies(3, ref);
        GUIB_Ref<c_GUIB_BasicObject> base = ref;
        EXPECT_EQ(object->GetRefCount(), 6u);
    }
    EXPECT_EQ(object->GetRefCount(), 1u);
    GUIB_Ref<Probe> adopted = GUIB_Ref<Probe>::Adopt(object);
    EXPECT_EQ(object->GetRefCount(), 1u);
    EXPECT_EQ(destroyed, 0);
    adopted.Reset();
    EXPECT_FALSE(adopted);
    EXPECT_EQ(destroyed, 1);
    adopted.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, MoveHandsTheReferenceOnWithoutCounting)
{
    GUIB_Ref<Probe> source = MakeProbe();
    Probe* object = source.Get();
    GUIB_Ref<Probe> moved(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(moved.Get(), object);
    GUIB_Ref<Probe> assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved);
    GUIB_Ref<c_GUIB_BasicObject> base = std::move(assigned);
    EXPECT_FALSE(assigned);
    EXPECT_EQ(object->GetRefCount(), 1u);
    base.Reset();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRef, AssignmentReleasesTheOldObjectAndSelfAssignmentKeepsIt)
{
    GUIB_Ref<Probe> ref = MakeProbe();
    GUIB_Ref<Probe> other = MakeProbe();
    ref = other;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(other->GetRefCount(), 2u);
    ref = GUIB_Ref<Probe>();
    EXPECT_EQ(other->GetRefCount(), 1u);
    GUIB_Ref<Probe>& same = other;
    other = same;
    EXPECT_EQ(other->GetRefCount(), 1u);
    other = std::move(same);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->GetRefCount(), 1u);
    EXPECT_EQ(destroyed, 1);
}

}
