#include "core/DefaultTldTable.h"

#include <iterator>

namespace DefaultTldTable {

const char *const standardIndicators =
    "No match,not registered,not found,available for registration,no domain records,AVAIL,No entries found";

namespace {

// Every WHOIS host of the built-in table lives in this file. Real registry hosts
// are written into the rows, and a row whose TLD is served only over RDAP
// names its RDAP base URL; rows with no real registry service (invented
// labels, TLDs that only offer a web page) and the rows of the five providers
// that went away use invented hosts under the reserved ".example" name.
const char numericHost[] = "whois.numeric.example";
const char providerOneHostA[] = "whois.altroot-one.example";
const char providerOneHostB[] = "whois2.altroot-one.example";
const char providerOneHostC[] = "whois3.altroot-one.example";
const char providerTwoHost[] = "whois.altroot-two.example";
const char providerThreeHost[] = "whois.altroot-three.example";
const char providerFourHost[] = "whois.altroot-four.example";
const char providerFiveHost[] = "whois.altroot-five.example";

// Notes put in front of the standard list. A "#...#" item never occurs in a
// WHOIS answer, so it only informs the user.
const char providerOneLongNote[] = "#ALTROOT-ONE.EXAMPLE APPEARS TO BE DEFUNCT#";
const char providerOneNote[] = "#ALTROOT-ONE.EXAMPLE APPEARS DEFUNCT#";
const char providerTwoNote[] = "#ALTROOT-TWO.EXAMPLE APPEARS DEFUNCT#";
const char providerThreeNote[] = "#ALTROOT-THREE.EXAMPLE APPEARS DEFUNCT#";
const char providerFourNote[] = "#ALTROOT-FOUR.EXAMPLE APPEARS DEFUNCT#";
const char providerFiveNote[] = "#ALTROOT-FIVE.EXAMPLE APPEARS DEFUNCT#";
const char serverDownNote[] = "#SERVER DOWN#";
const char severDownNote[] = "#SEVER DOWN#";
const char offlineNote[] = "#APPEARS TO BE OFFLINE#";
const char queryLimitNote[] = "#VERY LOW QUERY LIMIT#";
const char abandonedNote[] = "#TLD MAY HAVE BEEN ABANDONED#";
const char seemsDownNote[] = "#WHOIS SERVER SEEMS DOWN#";
const char charactersNote[] = "#APPEARS TO RETURN UNRECOGNIZABLE CHARACTERS#";

enum Status { Disabled, Enabled };

struct Row
{
    const char *label;
    const char *server;
    Status status;
    const char *note;    // put in front of the standard list
    const char *phrases; // replaces the standard list
};

// File order. Duplicated labels are meant: the written table carries them as is.
const Row rows[] = {
    {"0", numericHost, Disabled, nullptr, nullptr},
    {"128", numericHost, Disabled, nullptr, nullptr},
    {"192", numericHost, Disabled, nullptr, nullptr},
    {"64", numericHost, Disabled, nullptr, nullptr},
    {"800", providerOneHostA, Disabled, providerOneLongNote, nullptr},
    {"888", providerOneHostA, Disabled, providerOneLongNote, nullptr},
    {"ac", "whois.nic.ac", Disabled, nullptr, "Available"},
    {"af", "whois.nic.af", Disabled, serverDownNote, nullptr},
    {"al", "whois.al.example", Disabled, nullptr, "No entries found"},
    {"am", "whois.amnic.net", Disabled, nullptr, nullptr},
    {"art", "whois.nic.art", Disabled, providerThreeNote, nullptr},
    {"arts", providerThreeHost, Disabled, providerThreeNote, nullptr},
    {"as", "whois.nic.as", Disabled, nullptr, nullptr},
    {"at", "whois.nic.at", Disabled, nullptr, "Nothing found"},
    {"au", "whois.auda.org.au", Disabled, nullptr, "No data found"},
    {"ave", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"az", "whois.az.example", Disabled, nullptr, nullptr},
    {"ba", "whois.ba.example", Disabled, nullptr, nullptr},
    {"bank", "whois.nic.bank", Disabled, providerThreeNote, nullptr},
    {"be", "whois.dns.be", Disabled, nullptr, nullptr},
    {"bg", "whois.register.bg", Disabled, nullptr, nullptr},
    {"biz", "whois.nic.biz", Disabled, nullptr, nullptr},
    {"blues", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"blues", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"bot", "whois.nic.bot", Disabled, providerTwoNote, nullptr},
    {"br", "whois.registro.br", Disabled, nullptr, nullptr},
    {"bt", "whois.bt.example", Disabled, nullptr, nullptr},
    {"by", "whois.cctld.by", Disabled, nullptr, nullptr},
    {"ca", "whois.cira.ca", Disabled, nullptr, "AVAIL"},
    {"cc", "ccwhois.verisign-grs.com", Disabled, nullptr, nullptr},
    {"cdn", providerOneHostA, Disabled, providerOneLongNote, nullptr},
    {"cgi", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"ch", "whois.nic.ch", Disabled, nullptr, "We do not have an entry"},
    {"ck", "whois.ck.example", Disabled, nullptr, nullptr},
    {"cl", "whois.nic.cl", Disabled, nullptr, "No existe"},
    {"cn", "whois.cnnic.cn", Disabled, nullptr, nullptr},
    {"com", "whois.verisign-grs.com", Enabled, nullptr, nullptr},
    {"corp", providerFiveHost, Disabled, providerFiveNote, nullptr},
    {"cx", "whois.nic.cx", Disabled, nullptr, nullptr},
    {"cy", "whois.cy.example", Disabled, nullptr, nullptr},
    {"cz", "whois.nic.cz", Disabled, nullptr, nullptr},
    {"dds", "whois.nic.dds", Disabled, providerOneLongNote, nullptr},
    {"de", "whois.denic.de", Disabled, nullptr, "free"},
    {"depot", providerOneHostA, Disabled, providerOneLongNote, nullptr},
    {"dev", "whois.nic.dev", Disabled, providerTwoNote, nullptr},
    {"dir", providerThreeHost, Disabled, providerThreeNote, nullptr},
    {"dk", "whois.punktum.dk", Disabled, nullptr, nullptr},
    {"dz", "whois.nic.dz", Disabled, nullptr, nullptr},
    {"earth", "whois.nic.earth", Disabled, providerFourNote, nullptr},
    {"edu", "whois.educause.edu", Disabled, nullptr, nullptr},
    {"ee", "whois.tld.ee", Disabled, nullptr, nullptr},
    {"eg", "whois.eg.example", Disabled, nullptr, nullptr},
    {"es", "whois.es.example", Disabled, nullptr, "No entries found"},
    {"event", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"faq", providerOneHostA, Disabled, providerOneLongNote, nullptr},
    {"fi", "whois.fi", Disabled, nullptr, nullptr},
    {"film", "whois.nic.film", Disabled, providerThreeNote, nullptr},
    {"florida", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"fo", "whois.nic.fo", Disabled, nullptr, nullptr},
    {"fr", "whois.nic.fr", Disabled, nullptr, "No entries found"},
    {"fund", "whois.nic.fund", Disabled, providerThreeNote, nullptr},
    {"gallery", "whois.nic.gallery", Disabled, providerOneLongNote, nullptr},
    {"gb", "whois.gb.example", Disabled, nullptr, nullptr},
    {"ge", "whois.nic.ge", Disabled, nullptr, nullptr},
    {"gm", "whois.gm.example", Disabled, nullptr, nullptr},
    {"gmbh", "whois.nic.gmbh", Disabled, providerOneLongNote, nullptr},
    {"gov", "whois.nic.gov", Disabled, nullptr, nullptr},
    {"gr", "whois.gr.example", Disabled, nullptr, nullptr},
    {"gs", "whois.nic.gs", Disabled, nullptr, nullptr},
    {"heck", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"help", "whois.nic.help", Disabled, providerThreeNote, nullptr},
    {"here", "whois.nic.here", Disabled, providerTwoNote, nullptr},
    {"here", "whois.nic.here", Disabled, providerTwoNote, nullptr},
    {"hk", "whois.hkirc.hk", Disabled, nullptr, nullptr},
    {"hosts", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"hotel", providerThreeHost, Disabled, providerThreeNote, nullptr},
    {"hr", "whois.dns.hr", Disabled, nullptr, nullptr},
    {"hu", "whois.nic.hu", Disabled, nullptr, nullptr},
    {"humanrights", providerOneHostB, Disabled, providerOneLongNote, nullptr},
    {"hwy", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"ie", "whois.weare.ie", Disabled, nullptr, nullptr},
    {"il", "whois.isoc.org.il", Disabled, nullptr, nullptr},
    {"info", "https://rdap.identitydigital.services/rdap/", Disabled, nullptr, nullptr},
    {"ins", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"int", "whois.iana.org", Disabled, serverDownNote, nullptr},
    {"iq", "whois.cmc.iq", Disabled, providerOneNote, nullptr},
    {"is", "whois.isnic.is", Disabled, nullptr, nullptr},
    {"isp", providerThreeHost, Disabled, providerThreeNote, nullptr},
    {"it", "whois.nic.it", Disabled, nullptr, "AVAILABLE"},
    {"java", "whois.nic.java", Disabled, providerTwoNote, nullptr},
    {"jp", "whois.jprs.jp", Disabled, charactersNote, nullptr},
    {"kg", "whois.kg", Disabled, serverDownNote, nullptr},
    {"kr", "whois.kr", Disabled, nullptr, nullptr},
    {"li", "whois.nic.li", Disabled, nullptr, "We do not have an entry"},
    {"life", "whois.nic.life", Disabled, providerTwoNote, nullptr},
    {"List", providerOneHostB, Disabled, nullptr, nullptr},
    {"list", providerOneHostB, Disabled, providerOneLongNote, nullptr},
    {"llb", providerOneHostB, Disabled, providerOneLongNote, nullptr},
    {"lol", "whois.nic.lol", Disabled, providerTwoNote, nullptr},
    {"lt", "whois.domreg.lt", Disabled, nullptr, nullptr},
    {"lu", "whois.dns.lu", Disabled, nullptr, "No such domain"},
    {"luv", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"lv", "whois.nic.lv", Disabled, nullptr, nullptr},
    {"ma", "whois.registre.ma", Disabled, nullptr, nullptr},
    {"mart", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"mbx", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"md", "whois.nic.md", Disabled, nullptr, nullptr},
    {"med", "whois.nic.med", Disabled, providerThreeNote, nullptr},
    {"mil", "whois.mil.example", Disabled, offlineNote, nullptr},
    {"mk", "whois.marnet.mk", Disabled, nullptr, nullptr},
    {"moi", "whois.nic.moi", Disabled, providerTwoNote, nullptr},
    {"ms", "whois.nic.ms", Disabled, nullptr, nullptr},
    {"mt", "whois.nic.org.mt", Disabled, nullptr, nullptr},
    {"music", "whois.nic.music", Disabled, providerThreeNote, nullptr},
    {"mx", "whois.mx", Disabled, nullptr, "No Encontrado"},
    {"net", "whois.verisign-grs.com", Enabled, nullptr, nullptr},
    {"nic", providerOneHostC, Disabled, providerOneLongNote, nullptr},
    {"nl", "whois.domain-registry.nl", Disabled, nullptr, "is free"},
    {"no", "whois.norid.no", Disabled, nullptr, nullptr},
    {"npo", providerFiveHost, Disabled, providerFiveNote, nullptr},
    {"nu", "whois.iis.nu", Disabled, nullptr, nullptr},
    {"org", "whois.pir.org", Disabled, queryLimitNote, nullptr},
    {"php", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"pics", "whois.nic.pics", Disabled, providerTwoNote, nullptr},
    {"pka", "whois.pka.example", Disabled, serverDownNote, nullptr},
    {"pl", "whois.dns.pl", Disabled, nullptr, nullptr},
    {"plan", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"prices", providerOneHostC, Disabled, providerOneLongNote, nullptr},
    {"proxy", "whois.proxy.example", Enabled, nullptr, nullptr},
    {"pt", "whois.dns.pt", Disabled, nullptr, nullptr},
    {"pta", "whois.pta.example", Disabled, serverDownNote, nullptr},
    {"radio", "whois.nic.radio", Disabled, providerThreeNote, nullptr},
    {"ro", "whois.rotld.ro", Disabled, nullptr, nullptr},
    {"rofl", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"ru", "whois.tcinet.ru", Disabled, nullptr, "No entries found"},
    {"safe", "whois.nic.safe", Disabled, providerOneLongNote, nullptr},
    {"Script", providerTwoHost, Disabled, nullptr, nullptr},
    {"script", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"se", "whois.iis.se", Disabled, nullptr, nullptr},
    {"sex", "whois.nic.sex", Disabled, abandonedNote, nullptr},
    {"sg", "whois.sgnic.sg", Disabled, nullptr, "NOMATCH"},
    {"sh", "whois.nic.sh", Disabled, nullptr, nullptr},
    {"si", "whois.register.si", Disabled, nullptr, nullptr},
    {"sk", "whois.sk-nic.sk", Disabled, nullptr, nullptr},
    {"sky", "whois.nic.sky", Disabled, providerThreeNote, nullptr},
    {"sm", "whois.nic.sm", Disabled, nullptr, nullptr},
    {"speed", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"sql", providerOneHostC, Disabled, providerOneLongNote, nullptr},
    {"st", "whois.nic.st", Disabled, nullptr, nullptr},
    {"su", "whois.tcinet.ru", Disabled, nullptr, nullptr},
    {"swap", providerOneHostC, Disabled, providerOneLongNote, nullptr},
    {"tc", "whois.nic.tc", Disabled, nullptr, nullptr},
    {"texas", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"tf", "whois.nic.tf", Disabled, nullptr, nullptr},
    {"th", "whois.thnic.co.th", Disabled, nullptr, nullptr},
    {"this", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"this", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"tj", "whois.tj.example", Disabled, serverDownNote, nullptr},
    {"tm", "whois.nic.tm", Disabled, nullptr, nullptr},
    {"tn", "whois.ati.tn", Disabled, nullptr, nullptr},
    {"to", "whois.tonicregistry.to", Disabled, nullptr, nullptr},
    {"tr", "whois.trabis.gov.tr", Disabled, nullptr, nullptr},
    {"tux", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"tw", "whois.twnic.net.tw", Disabled, nullptr, nullptr},
    {"ua", "whois.ua", Disabled, nullptr, nullptr},
    {"uk", "whois.nic.uk", Disabled, nullptr, "No match for"},
    {"us", "whois.nic.us", Disabled, nullptr, nullptr},
    {"usa", providerFourHost, Disabled, providerFourNote, nullptr},
    {"va", "whois.va.example", Disabled, nullptr, nullptr},
    {"ve", "whois.nic.ve", Disabled, seemsDownNote, nullptr},
    {"vg", "whois.nic.vg", Disabled, nullptr, nullptr},
    {"video", "whois.nic.video", Disabled, providerThreeNote, nullptr},
    {"whois", "whois.whois.example", Disabled, severDownNote, nullptr},
    {"xxx", "whois.nic.xxx", Disabled, providerThreeNote, nullptr},
    {"y3k", providerTwoHost, Disabled, providerTwoNote, nullptr},
    {"yu", "whois.yu.example", Disabled, nullptr, nullptr},
    {"z", providerFourHost, Disabled, providerFourNote, nullptr},
    {"zine", providerThreeHost, Disabled, providerThreeNote, nullptr},
    {"zoo", providerOneHostC, Disabled, providerOneLongNote, nullptr},
};

QString indicatorsOf(const Row &row)
{
    if (row.phrases)
        return QLatin1String(row.phrases);
    if (row.note)
        return QLatin1String(row.note) + QLatin1Char(',') + QLatin1String(standardIndicators);
    return QLatin1String(standardIndicators);
}

} // namespace

QStringList lines()
{
    QStringList result;
    result.reserve(int(std::size(rows)));
    for (const Row &row : rows) {
        result << QLatin1String(row.label) + QLatin1Char('|') + QLatin1String(row.server) + QLatin1String("|43|") +
                      QLatin1String(row.status == Enabled ? "Enabled" : "Disabled") + QLatin1String("|25|") +
                      indicatorsOf(row);
    }
    return result;
}

QString serverOf(const QString &extension)
{
    for (const Row &row : rows) {
        if (QString::fromLatin1(row.label).toLower() == extension)
            return QString::fromLatin1(row.server);
    }
    return {};
}

QByteArray fileContents()
{
    QByteArray contents;
    for (const QString &line : lines())
        contents += line.toLatin1() + "\r\n";
    contents += "\r\n";
    return contents;
}

} // namespace DefaultTldTable
