// SPDX-License-Identifier: MIT
#include "TimebaseChooser.h"

#include "TotalsPane.h"

TimebaseChooser::TimebaseChooser(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (const ELKTimebase_t* base = timebase()) emit timebaseChanged(*base);
    });
}

void TimebaseChooser::listTimebases()
{
    m_first = count();
    ELKTimebase_t base;
    for (int32_t i = 0; ELKTimebase_Named(&base, i) == ELK_OK; ++i) {
        m_timebases.push_back(base);
        addItem(timebaseText(base));
    }
}

const ELKTimebase_t* TimebaseChooser::timebase() const
{
    const int index = currentIndex() - m_first;
    return index >= 0 && size_t(index) < m_timebases.size() ? &m_timebases[size_t(index)] : nullptr;
}

void TimebaseChooser::showTimebase(const ELKTimebase_t& base)
{
    size_t index = 0;
    while (index < m_timebases.size() && ELKTimebase_Equal(&m_timebases[index], &base) != ELK_TRUE) ++index;
    if (index == m_timebases.size()) {
        m_timebases.push_back(base);
        addItem(timebaseText(base));
    }
    setCurrentIndex(m_first + int(index));
}
