// A test fixture with the program's message table installed and message boxes
// going to a scripted front-end.
#pragma once

#include <gtest/gtest.h>

#include "base/KelErrorMessage.h"
#include "base/MessageText.h"
#include "base/messages/MessageTable.h"
#include "platform/UserInterface.h"

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageTable();
    SetMessageBoxFrontEnd(&boxes);
  }
  void TearDown() override {
    SetMessageBoxFrontEnd(nullptr);
    SetMessageTable(nullptr);
  }

  // The one box shown so far.
  const ScriptedMessageBoxes::Shown& OnlyBox() {
    EXPECT_EQ(boxes.shown().size(), 1u);
    static const ScriptedMessageBoxes::Shown none{};
    return boxes.shown().empty() ? none : boxes.shown().back();
  }

  ScriptedMessageBoxes boxes;
};
