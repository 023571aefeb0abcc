#pragma once

#include "core/RegistryDirectory.h"
#include "harvest/NameRules.h"
#include "settings/ProgramFolder.h"

#include <QByteArray>
#include <QStringList>
#include <QTest>

// The shipped harvest data and registry list, as the program reads them.
inline void loadShippedHarvestData(HarvestData &harvest, RegistryDirectory &registries)
{
    const QString shipped = ProgramFolder::shippedDataDir();
    QString error;
    QVERIFY2(harvest.load(shipped + QLatin1String("/harvest"), &error), qPrintable(error));
    QVERIFY2(registries.loadFolder(shipped + QLatin1String("/registry"), &error), qPrintable(error));
}

// Small result pages, each holding one kind of junk or one way engines wrap
// their result links, with the names a person sees as results. Both
// extraction paths must give exactly these names.
inline void addHarvestPageRows()
{
    using namespace Qt::StringLiterals;
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("everyTld");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("script, style, comment and attribute text")
        << "<html><head><script>var allow=[\"cnn.com\",\"wsj.com\"];document.com=1;a.com=2;</script>"
           "<style>.x{background:url(http://cdn-style.com/a.png)}</style></head><body>"
           "<!-- http://commented.com --><img src=\"https://image-host.com/a.png\" data-url=\"https://data-attr.net/\">"
           "<link href=\"https://sheet-host.com/a.css\"><form action=\"https://form-host.com/s\"></form>"
           "<script>x=[\"https://glued-site.com\\x22,1]</script>"
           "<a href=\"https://www.linked-result.net/page\">A result</a><p>Written: shown-text.com.</p></body></html>"_ba
        << false << QStringList{u"linked-result.net"_s, u"shown-text.com"_s};
    QTest::newRow("ports, paths and colons")
        << "<a href=\"http://www.port-site.com:8080/index.html\">p</a> <p>see www.text-port.net:443/path and"
           " https://user@credential-host.com:21/x</p>"_ba
        << false << QStringList{u"port-site.com"_s, u"text-port.net"_s, u"credential-host.com"_s};
    QTest::newRow("a TLD only as the last labels")
        << "<a href=\"https://www.my.community/\">c</a> <a href=\"https://innz.net.nz/\">n</a>"
           " <p>innz.net.nz, shop.com.au and www.bbc.co.uk</p>"_ba
        << false << QStringList();
    QTest::newRow("every TLD")
        << "<a href=\"https://www.my.community/\">c</a> <a href=\"https://innz.net.nz/\">n</a>"
           " <p>innz.net.nz, shop.com.au, www.bbc.co.uk and www.example.com</p> <p>no-such.tldthatisnot</p>"_ba
        << true << QStringList{u"my.community"_s, u"innz.net.nz"_s, u"shop.com.au"_s, u"bbc.co.uk"_s, u"example.com"_s};
    QTest::newRow("engines' own hosts")
        << "<a href=\"https://accounts.google.com/\">a</a><a href=\"https://www.google.de/\">d</a>"
           "<a href=\"https://www.bing.com/\">b</a><a href=\"https://th.bingj.com/x\">c</a>"
           "<a href=\"https://login.live.com/\">l</a><a href=\"https://www.microsofttranslator.com/\">t</a>"
           "<a href=\"https://fonts.gstatic.com/\">g</a><a href=\"https://search.yahoo.com/\">y</a>"
           "<a href=\"https://s.yimg.com/a.png\">i</a><a href=\"https://duckduckgo.com/about\">d</a>"
           "<a href=\"https://www.result-site.com/\">r</a><p>www.google.com and www.afternic.com</p>"_ba
        << false << QStringList{u"result-site.com"_s};
    QTest::newRow("redirect wrappers")
        << "<a href=\"https://r.search.yahoo.com/_ylt=A;_ylu=X/RV=2/RE=1/RO=10/RU=https%3a%2f%2fwww.yfound.com%2fp"
           "/RK=2/RS=x-\">y</a>"
           "<a href=\"/url?q=https://www.gfound.com/page&amp;sa=U&amp;ved=2ah\">g</a>"
           "<a href=\"https://www.google.com/url?sa=t&amp;url=https%3A%2F%2Fwww.gurl.net%2F&amp;usg=A\">g2</a>"
           "<a href=\"https://www.bing.com/ck/a?!&amp;&amp;p=abc&amp;u=a1aHR0cHM6Ly93d3cuYmluZ2ZvdW5kLmNvbS9hP2I9MQ"
           "&amp;ntb=1\">b</a>"
           "<a href=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fshop.dfound.com%2Fx&amp;rut=1\">d</a>"_ba
        << false << QStringList{u"yfound.com"_s, u"gfound.com"_s, u"gurl.net"_s, u"bingfound.com"_s, u"dfound.com"_s};
    QTest::newRow("markup inside a name, entities")
        << "<cite>www.<b>bold</b>-name.com/x</cite><br><span>dot<wbr>ted&#46;net</span>"
           "<div>BLOCK-ONE.COM</div><div>.net</div><p>caf&eacute;.com Mixed.Com</p>"_ba
        << false << QStringList{u"bold-name.com"_s, u"dotted.net"_s, u"block-one.com"_s};
    QTest::newRow("mail addresses and sentences")
        << "<a href=\"mailto:sales@mail-link.com?subject=x\">m</a><p>Write to info.desk@mail-text.net."
           " It ends.It starts, e.g. 3.14 or v1.2</p><a href=\"javascript:go('x.com')\">j</a>"
           "<a href=\"relative/page.com\">r</a>"_ba
        << false << QStringList{u"mail-link.com"_s, u"mail-text.net"_s};
}
