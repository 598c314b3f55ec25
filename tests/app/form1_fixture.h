#pragma once
// A fresh main window for each test, shown as the program shows it, with every prompt
// scripted through the fake.
#include "form1.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <gtest/gtest.h>

namespace mirolt::test {

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        forms::Form1.Load();
        forms::Form1.Show();
    }
    void TearDown() override {
        forms::Form1.Discard();
        platform::ReleaseUnloadedForms();
    }
    app::Form1 &F() { return forms::Form1.Get(); }

    FakePrompts prompts;
    TempFolder dir;
};

} // namespace mirolt::test
