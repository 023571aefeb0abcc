#include "base/ui/SkinLabel.h"

SkinLabel::SkinLabel(QWidget *parent)
    : QLabel(parent)
{
    setAutoFillBackground(true);
}

SkinLabelArray::SkinLabelArray(const QString &name, QWidget *container)
    : m_name(name)
{
    auto *templateLabel = new SkinLabel(container);
    templateLabel->setObjectName(name);
    templateLabel->setText(QStringLiteral("Windowed Label"));
    templateLabel->hide();
    m_elements.append(templateLabel);
}

SkinLabel *SkinLabelArray::element(int index) const
{
    if (index < 0 || index >= m_elements.size())
        return nullptr;
    return m_elements.at(index);
}

int SkinLabelArray::upperBound() const
{
    return int(m_elements.size()) - 1;
}

SkinLabel *SkinLabelArray::createElement()
{
    const SkinLabel *templateLabel = m_elements.constFirst();
    if (!templateLabel)
        return nullptr;
    auto *label = new SkinLabel(templateLabel->parentWidget());
    label->setObjectName(m_name);
    label->m_index = int(m_elements.size());
    label->setFont(templateLabel->font());
    label->setGeometry(templateLabel->geometry());
    label->hide();
    m_elements.append(label);
    return label;
}
