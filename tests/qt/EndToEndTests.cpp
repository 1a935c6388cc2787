// The desktop view on the real serial library and SDK, against the simulated
// controller on a pseudo-terminal.
#include <QComboBox>
#include <QTest>
#include <cstdlib>

#include "RecordWindow.h"
#include "Simulator.h"
#include "ViewFixture.h"
#include "resource.h"

namespace {

class CViewEndToEndTest : public CViewTest {
 protected:
  qtview::CRecordWindow* Record() const { return Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD); }
  bool RecordShows(const QString& text) const {
    return QTest::qWaitFor([&] { return Record()->VisibleRows().join(QString()).contains(text); }, 5000);
  }
};

TEST_F(CViewEndToEndTest, TheModuleAnswersInTheReceiveRecordAndASlotPickChangesTheAnswer) {
  CSimulator sim(QUORVEL_SIM_PATH);
  ASSERT_TRUE(sim.WaitReady());
  setenv("QUORVEL_COM1", sim.Link().c_str(), 1);
  setenv("QUORVEL_BACKPLANE", sim.Backplane().c_str(), 1);
  UseRealTime();
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    ClickButton(IDC_BUTTON_SEND);
    EXPECT_TRUE(RecordShows(QStringLiteral("!00KESTRA-7017")));
    EXPECT_EQ(Widget<qtview::CRecordWindow>(IDC_EDIT_SEND_RECORD)->VisibleRows(), QStringList{QStringLiteral("$00M")});

    PickItem(IDC_COMBO_SLOT, 0);
    ClickButton(IDC_BUTTON_SEND);
    EXPECT_TRUE(RecordShows(QStringLiteral("!00KESTRA-7065")));
  });
  unsetenv("QUORVEL_COM1");
  unsetenv("QUORVEL_BACKPLANE");
}

}  // namespace
