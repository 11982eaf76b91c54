#include "base/ReportException.h"

#include <gtest/gtest.h>

#include <memory>

#include "MessageTestSupport.h"

namespace {

class ReportExceptionTest : public MessageTest {
 protected:
  // Throws EXCEPTION as the system does and reports what the main loop caught.
  std::int32_t ThrowAndReport(CException* exception) {
    try {
      throw exception;
    } catch (CException* caught) {
      std::unique_ptr<CException, void (*)(CException*)> owned(caught,
                                                              [](CException* e) { e->Delete(); });
      return ReportFrameworkException(messages, caught);
    }
  }

  CKelErrorMessage messages{nullptr, 0, "VK"};
};

TEST_F(ReportExceptionTest, QuestionGivesTheAnswer) {
  boxes.QueueAnswer(IDYES);
  messages.m_buttons = MB_YESNO;
  EXPECT_EQ(ThrowAndReport(new CKelException(4004)), IDYES);
  EXPECT_EQ(OnlyBox().style, MB_YESNO | MB_ICONEXCLAMATION);
}

TEST_F(ReportExceptionTest, AbortGivesItsExitCodeSilently) {
  messages.m_flags = CKelErrorMessage::kOutputConsole;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ThrowAndReport(new CKelAbortException(3)), 3);
  EXPECT_EQ(ThrowAndReport(new CKelAbortException(-2)), -2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ReportExceptionTest, OutOfMemoryIsReportedAs1014) {
  messages.m_severity = 0;
  EXPECT_EQ(ThrowAndReport(new CMemoryException), 0);  // the severity as it stood
  EXPECT_EQ(OnlyBox().text, "Fatal error VK1014 - no more RAM available.");
  EXPECT_EQ(OnlyBox().style, MB_SYSTEMMODAL | MB_ICONSTOP);
}

}  // namespace
