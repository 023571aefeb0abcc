#pragma once

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QString>

// A label drawn by the skin. Unlike a plain QLabel it paints its own
// background, so a twin placed over a plain label hides it.
class SkinLabel : public QLabel
{
    Q_OBJECT

public:
    explicit SkinLabel(QWidget *parent = nullptr);

    // The element's index in its SkinLabelArray; 0 for a label outside any array.
    int index() const { return m_index; }

private:
    friend class SkinLabelArray;
    int m_index = 0;
};

// A control array of skinned labels. Element 0 is the template created with
// the array (hidden, caption "Windowed Label", object name = the array name);
// further elements are created at run time inside element 0's container and
// carry the same object name.
class SkinLabelArray
{
public:
    SkinLabelArray(const QString &name, QWidget *container);

    QString name() const { return m_name; }
    // The element with that index, or null when it does not exist.
    SkinLabel *element(int index) const;
    // The highest index in use (0 while only the template exists).
    int upperBound() const;
    // Creates element upperBound() + 1 with the template's font and size,
    // hidden, and returns it; null once the template's container is gone.
    SkinLabel *createElement();

private:
    QString m_name;
    QList<QPointer<SkinLabel>> m_elements;
};
