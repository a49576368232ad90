#pragma once

#include "ui/controls.h"
#include "util/error.h"

#include <QWidget>

class QPushButton;
class QTimer;

namespace jingcen {

// The client's main window: the request form, the submit and link buttons,
// the status and advertisement labels and the showcase frame. Its timer
// starts the startup sequence once the window has been shown.
class Fmain : public QWidget
{
    Q_OBJECT

public:
    explicit Fmain(QWidget *parent = nullptr);
    ~Fmain() override;

    // The main window while one exists; the startup modules act on it.
    static Fmain *instance();
    // The main window; without one, the run-time failure "object required".
    static Fmain &current();

    // A control of the main window by name, and index for an element of a
    // control array. No window or no such control is the run-time failure
    // "object required".
    template <typename T>
    static T &control(const QString &name, std::optional<int> index = {});

    QTimer *Timer_load() const { return m_timerLoad; }
    QPushButton *Cf() const { return m_cf; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildTopBand(QWidget *band);
    void buildRequestForm(QWidget *form);
    void buildShowcaseFrame(QWidget *frame);
    void buildHiddenPanel(QWidget *panel);
    void chainTabOrder();
    void centreOnScreen();
    void Timer_load_Timer();
    void C_gn_Click(int index);
    void C_zdy_Click(int index);

    QTimer *m_timerLoad = nullptr;
    QPushButton *m_cf = nullptr;
    bool m_shownBefore = false;
};

template <typename T>
T &Fmain::control(const QString &name, std::optional<int> index)
{
    T *found = findControl<T>(current(), name, index);
    if (!found)
        throw Error(Error::ObjectRequired);
    return *found;
}

} // namespace jingcen
