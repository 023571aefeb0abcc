#include "base/ui/Skin.h"
#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ui/OverflowNoticeWindow.h"
#include "core/ui/RegistrarBlockedWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestNoticeWindows : public QObject
{
    Q_OBJECT

private slots:
    void blockedWindowTexts();
    void blockedWindowKeepsFirstServerUntilClosed();

    void overflowNoticeTextsAndOk();
    void overflowNoticeIsSkinnedWithSkinner();
};

void TestNoticeWindows::blockedWindowTexts()
{
    RegistrarBlockedNotice notice;
    const RegistrarBlockedWindow window(notice);
    QCOMPARE(window.windowTitle(), QStringLiteral("Registrar blocked"));
    QStringList texts;
    const QList<QLabel *> labels = window.findChildren<QLabel *>();
    for (const QLabel *label : labels)
        texts.append(label->text());
    QCOMPARE(texts,
             (QStringList{QStringLiteral("Your connections may be blocked by the following registar, or the registrar "
                                         "might be timing out and causing slow searching.  Consider using throttling "
                                         "to lower the amount of queries through the Setup menu or disable the TLD "
                                         "using this registrar."),
                          QStringLiteral("Registrar"), QStringLiteral("Response:")}));
    QVERIFY(window.findChildren<QPushButton *>().isEmpty());
    QVERIFY(!window.isVisible());
}

void TestNoticeWindows::blockedWindowKeepsFirstServerUntilClosed()
{
    RegistrarBlockedNotice notice;
    RegistrarBlockedWindow window(notice);
    auto *txtRegistrar = window.findChild<QLineEdit *>(QStringLiteral("txtRegistrar"));
    auto *txtResponse = window.findChild<QPlainTextEdit *>(QStringLiteral("txtResponse"));
    QVERIFY(txtRegistrar && txtResponse);

    notice.report(QStringLiteral("127.0.0.1"), QStringLiteral("Query rate exceeded\r\n"));
    QVERIFY(window.isVisible());
    QVERIFY(!window.isModal());
    QCOMPARE(txtRegistrar->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(txtResponse->toPlainText(), QStringLiteral("Query rate exceeded\n"));

    window.hide(); // out of sight, not closed
    notice.report(QStringLiteral("whois.other.example"), QStringLiteral("Connection Timed Out"));
    QVERIFY(window.isVisible());
    QCOMPARE(txtRegistrar->text(), QStringLiteral("127.0.0.1"));

    QVERIFY(window.close());
    QVERIFY(notice.registrar().isEmpty());
    QVERIFY(txtRegistrar->text().isEmpty());
    QVERIFY(txtResponse->toPlainText().isEmpty());

    notice.report(QStringLiteral("whois.other.example"), QStringLiteral("Connection Timed Out"));
    QVERIFY(window.isVisible());
    QCOMPARE(txtRegistrar->text(), QStringLiteral("whois.other.example"));
    QCOMPARE(txtResponse->toPlainText(), QStringLiteral("Connection Timed Out"));
}

void TestNoticeWindows::overflowNoticeTextsAndOk()
{
    OverflowNoticeWindow window(nullptr);
    QCOMPARE(window.windowTitle(), QStringLiteral("File backup"));
    const auto *label = window.findChild<QLabel *>(QStringLiteral("Label1"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and "
                                           "cleared.  You may find your backed up lists in the tollarin /overflow/ "
                                           "directory."));
    QCOMPARE(window.skinLabel1().upperBound(), 0);

    const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.constFirst()->text(), QStringLiteral("Ok"));
    window.show();
    QVERIFY(window.isVisible());
    QTest::mouseClick(buttons.constFirst(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
}

void TestNoticeWindows::overflowNoticeIsSkinnedWithSkinner()
{
    const Skin skin(QStringLiteral(VANTREL_SHELL_DATA_DIR "/vantrel.skin"));
    const Skinner skinner(skin);
    const OverflowNoticeWindow window(&skinner);
    const SkinLabelArray &twins = window.skinLabel1();
    QCOMPARE(twins.upperBound(), 1);
    QCOMPARE(twins.element(1)->text(), window.findChild<QLabel *>(QStringLiteral("Label1"))->text());
    QVERIFY(twins.element(1)->wordWrap());
    QCOMPARE(window.styleSheet(), skin.styleSheet());
}

QTEST_MAIN(TestNoticeWindows)
#include "TestNoticeWindows.moc"
