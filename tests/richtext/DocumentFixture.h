#pragma once
// A document on fixed metrics (rows of 16 px, 10 px a half-width character), loaded from text.
#include "richtext/Uextextdrawer.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>

class DocumentFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas_.SetAdvance(10);
        SetMeasureCanvas(&canvas_);
        doc_.Clear();
    }
    void TearDown() override { SetMeasureCanvas(nullptr); }
    // Replaces the document with the plain text `utf8`.
    void Load(const std::string& utf8)
    {
        TExLightText runs;
        runs.SetAnsi(utf8);
        doc_.ReplaceFromLightText(&runs);
    }

    vkttest::RecordingCanvas canvas_;
    TExTextDrawer doc_;
};
