#pragma once

#include <QSet>
#include <QString>

// Names gathered from web pages: one text holding every accepted name
// followed by CR LF, and the names themselves for the uniqueness test, which
// ignores letter case.
class CollectedList
{
public:
    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    qsizetype size() const { return m_names.size(); }

    bool contains(const QString &name) const { return m_names.contains(name.toLower()); }

    // Appends the name and CR LF.
    void append(const QString &name);
    void clear();

private:
    QString m_text;
    QSet<QString> m_names;
};
