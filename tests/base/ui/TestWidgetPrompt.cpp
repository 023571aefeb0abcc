#include "base/ui/WidgetPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestWidgetPrompt : public QObject
{
    Q_OBJECT

private slots:
    void everyBoxCarriesTheProductName_data();
    void everyBoxCarriesTheProductName();
};

void TestWidgetPrompt::everyBoxCarriesTheProductName_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<QString>("shownDetail");

    QTest::newRow("no title") << QString() << u"Connection timed out"_s << QString();
    QTest::newRow("the product's") << u"Ornisk"_s << u"Connection timed out"_s << QString();
    // A box's own title heads the text instead.
    QTest::newRow("its own") << u"Delete?"_s << u"Delete?"_s << u"Connection timed out"_s;
}

void TestWidgetPrompt::everyBoxCarriesTheProductName()
{
    QFETCH(QString, title);
    QFETCH(QString, shownText);
    QFETCH(QString, shownDetail);
    WidgetPrompt prompt(nullptr, u"Ornisk"_s);
    QString windowTitle;
    QString text;
    QString detail;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        windowTitle = box->windowTitle();
        text = box->text();
        detail = box->informativeText();
        box->button(QMessageBox::Cancel)->click();
    });
    const Prompt::Answer answer =
        prompt.showMessage(title, u"Connection timed out"_s, Prompt::Icon::Question, Prompt::Buttons::OkCancel);
    QCOMPARE(answer, Prompt::Answer::Cancel);
    QCOMPARE(windowTitle, u"Ornisk"_s);
    QCOMPARE(text, shownText);
    QCOMPARE(detail, shownDetail);
}

QTEST_MAIN(TestWidgetPrompt)
#include "TestWidgetPrompt.moc"
