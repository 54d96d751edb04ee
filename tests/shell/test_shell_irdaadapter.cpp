// The window's choice of the infrared adapter: the dialog lists the plugged USB adapter, the
// choice is kept in the settings and the next read goes through it; an adapter pulled out
// during a read is named on the status line.

#include <QListWidget>

#include "F_irdaadapter.h"
#include "U_shelltext.h"
#include "shell_fixture.h"
#include "usb_bench.h"

namespace {

class ShellIrdaAdapter : public ShellTest {
  protected:
    // An Alder radio reachable only through the fake USB adapter.
    void StartWithAdapter() {
        Start({"alder,sn=4242,link=sir"});
        adapter_ = FakeStir4200(radios_->Server(0).Address());
        ports_->SetUsbBus(adapter_.bus);
        List().Select(IndexOf("ALDER"));
    }
    QString LastStatus() const { return statuses_.isEmpty() ? QString() : statuses_.last(); }

    SFakeUsbAdapter adapter_;
};

TEST_F(ShellIrdaAdapter, TheAdapterChosenIsListedKeptAndReadThrough) {
    StartWithAdapter();
    {
        Tfrm_IrdaAdapter dialog(&Window(), List());
        QListWidget& list = *dialog.List();
        ASSERT_GE(list.count(), 2);
        EXPECT_TRUE(list.item(0)->text().startsWith(QStringLiteral("Автоматически")));
        EXPECT_EQ(list.currentRow(), 0);  // nothing kept yet
        const auto found = list.findItems(QStringLiteral("STIr4200"), Qt::MatchContains);
        ASSERT_EQ(found.size(), 1);
        EXPECT_TRUE(found[0]->text().contains(QStringLiteral("порт USB 1-2")));
        list.setCurrentItem(found[0]);
        dialog.accept();
    }
    EXPECT_EQ(CSettings().Text("Links/IrdaAdapter"), adapter_.selector);
    EXPECT_EQ(ports_->IrdaPlatform().port, adapter_.selector);

    QAction& item = *Find<QAction>("act_IrdaAdapter");
    Press(Qt::Key_F3);
    // Not to be changed under the search or the read.
    EXPECT_TRUE(WaitFor([&item] { return !item.isEnabled(); }, 5000));
    EXPECT_FALSE(List().ChooseIrdaAdapter(""));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(LastStatus().startsWith(QString::fromUtf8(shelltext::kReadDone)))
        << LastStatus().toStdString();
    EXPECT_EQ(CSettings().Text("Links/IrdaAdapter"), adapter_.selector);
}

TEST_F(ShellIrdaAdapter, AnAdapterPulledOutDuringAReadIsNamedOnTheStatusLine) {
    StartWithAdapter();
    ASSERT_TRUE(List().ChooseIrdaAdapter(adapter_.selector));
    Press(Qt::Key_F3);
    // Pulled out once the memory read has begun.
    ASSERT_TRUE(
        WaitFor([this] { return LastStatus() == QString::fromUtf8(shelltext::kReadStart); }));
    adapter_.unplug();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(LastStatus().startsWith(QStringLiteral("Ошибка чтения параметров")))
        << LastStatus().toStdString();
    EXPECT_TRUE(LastStatus().contains(QStringLiteral("отключён"))) << LastStatus().toStdString();
}

}  // namespace
