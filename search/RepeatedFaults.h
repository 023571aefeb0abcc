#pragma once

#include <QSet>
#include <QString>

// The lookup faults of one run. The first fault of each kind is for the
// user to read; the same fault again only counts, so a fault every word
// cannot bury the window under message boxes.
class RepeatedFaults
{
public:
    // A new run: every kind of fault is shown once more.
    void startRun();
    // Counts one fault; true when its kind (the title) is new in this run
    // and its message is to be shown.
    bool report(const QString &title, const QString &text);

    int count() const { return m_count; }
    // "3 lookup faults in this run"; empty before any.
    QString summary() const;
    // The last line of the latest fault's text, the one with the particulars.
    QString lastDetail() const { return m_lastText; }

private:
    QSet<QString> m_shownKinds;
    QString m_lastText;
    int m_count = 0;
};
