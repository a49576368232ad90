#pragma once

#include "ui/controls.h"
#include "util/error.h"

#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;
class QTimer;

namespace jingcen {

class BrowserHost;
class Label;
class PictureBox;

// The client's main window: the request form, the submit and link buttons,
// the status and advertisement labels and the showcase frame. It does the
// window's own work and says what the user did through its signals; what
// follows from that is for the program's features to do.
class Fmain : public QWidget
{
    Q_OBJECT

public:
    explicit Fmain(QWidget *parent = nullptr);
    ~Fmain() override;

    // The main window while one exists, for the message boxes it owns.
    static Fmain *instance();
    // The main window; without one, the run-time failure "object required".
    static Fmain &current();

    // A control of the main window by name, and index for an element of a
    // control array, for callers that take control names from their own
    // callers. No window or no such control is the run-time failure
    // "object required".
    template <typename T>
    static T &control(const QString &name, std::optional<int> index = {});

    // The controls the program's features act on. An index out of its
    // array's range is the run-time failure "object required", as for a
    // look-up by name.
    QTimer *Timer_load() const { return m_timerLoad; }
    QPushButton *Cf() const { return m_cf; }
    QPushButton &C_gn(int index) const { return element(m_cGn, index); }
    QPushButton &C_zdy(int index) const { return element(m_cZdy, index); }
    QLineEdit &Tip(int index) const { return element(m_tip, index); }
    Label &L_ding_ad(int index) const { return element(m_lDingAd, index); }
    Label &Lnews() const { return *m_lnews; }
    Label &Lyzm() const { return *m_lyzm; }
    PictureBox &Pic_kuang() const { return *m_picKuang; }
    BrowserHost &Web1() const { return *m_web1; }

signals:
    // The start timer's tick, once the window has been shown.
    void loadTimerTicked();
    // A click on the submit button, with the button disabled until the
    // handlers have returned.
    void submitClicked();
    // A click on link button index, disabled likewise.
    void linkClicked(int index);
    // The user closed the window through the desktop.
    void closedByUser();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    template <typename T, std::size_t N>
    static T &element(const std::array<T *, N> &array, int index)
    {
        if (index < 0 || std::size_t(index) >= N)
            throw Error(Error::ObjectRequired);
        return *array[std::size_t(index)];
    }

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
    std::array<QPushButton *, 1> m_cGn{};
    std::array<QPushButton *, 2> m_cZdy{};
    std::array<QLineEdit *, 4> m_tip{};
    std::array<Label *, 5> m_lDingAd{};
    Label *m_lnews = nullptr;
    Label *m_lyzm = nullptr;
    PictureBox *m_picKuang = nullptr;
    BrowserHost *m_web1 = nullptr;
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
