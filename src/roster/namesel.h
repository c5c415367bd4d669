#pragma once
#include <QWidget>

namespace kanameru {

// The start screen on which a pupil picks his name.
class namesel : public QWidget {
    Q_OBJECT
public:
    explicit namesel(QWidget* parent = nullptr);
    // Loads the start screen afresh and shows it.
    static namesel* open();
};

} // namespace kanameru
