#pragma once

#include <QStringList>

// The help window's text, one entry per line.
QStringList helpLines();
