#include "calculator/engine/display.h"

QChar StringDisplay::lastChar() const
{
    return m_text.isEmpty() ? QChar() : m_text.back();
}
