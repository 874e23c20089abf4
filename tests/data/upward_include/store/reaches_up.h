// A store header that reaches up to a widget: the floor check must refuse it.
#pragma once
#include <QWidget>
