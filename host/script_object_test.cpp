#include "host/script_object.h"

#include <gtest/gtest.h>

#include "host/viewer.h"

namespace {
class ScriptObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(script_class_create(), nullptr); }
    void TearDown() override { script_class_free(); }
    // What a browser's createobject does with our class.
    NPObject* create(NPP npp) {
        NPObject* o = script_class()->allocate(npp, script_class());
        o->_class = script_class();
        o->referenceCount = 1;
        return o;
    }
};
}  // namespace

TEST_F(ScriptObjectTest, ClassIsVersionOneWithEverySlotAndNoProperties) {
    NPClass* c = script_class();
    EXPECT_EQ(c->structVersion, 1u);
    EXPECT_EQ(script_class_create(), c);  // made once
    ASSERT_TRUE(c->allocate && c->deallocate && c->invalidate && c->hasMethod && c->invoke && c->invokeDefault &&
                c->hasProperty && c->getProperty && c->setProperty && c->removeProperty);
    Viewer v;
    NPP_t npp{&v, nullptr};
    NPObject* o = create(&npp);
    NPVariant value{};
    EXPECT_FALSE(c->hasProperty(o, nullptr));
    EXPECT_FALSE(c->getProperty(o, nullptr, &value));
    EXPECT_FALSE(c->setProperty(o, nullptr, &value));
    EXPECT_FALSE(c->removeProperty(o, nullptr));
    EXPECT_FALSE(c->invokeDefault(o, nullptr, 0, &value));
    c->deallocate(o);
}

TEST_F(ScriptObjectTest, ObjectAndViewerForgetEachOtherWhicheverGoesFirst) {
    Viewer v;
    NPP_t npp{&v, nullptr};
    NPObject* first = create(&npp);
    v.browser.script_object = first;
    EXPECT_EQ(script_object_viewer(first), &v);
    script_class()->deallocate(first);  // forced by the browser while the viewer lives
    EXPECT_EQ(v.browser.script_object, nullptr);

    NPObject* second = create(&npp);
    v.browser.script_object = second;
    script_object_detach(second);  // the viewer is destroyed, the page still holds it
    EXPECT_EQ(script_object_viewer(second), nullptr);
    NPVariant result{};
    EXPECT_FALSE(script_class()->invoke(second, nullptr, nullptr, 0, &result));
    v.browser.script_object = nullptr;  // what destroy leaves
    script_class()->deallocate(second);
    EXPECT_EQ(v.browser.script_object, nullptr);
}

TEST_F(ScriptObjectTest, ForeignObjectsAndNullNppHaveNoViewer) {
    NPObject foreign{nullptr, 1};
    EXPECT_EQ(script_object_viewer(&foreign), nullptr);
    NPObject* o = create(nullptr);
    EXPECT_EQ(script_object_viewer(o), nullptr);
    script_class()->deallocate(o);
}
