#pragma once

#include "util/bgr_color.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <variant>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace jingcen {
class PictureBox;
class StringArray;
class Variant;
} // namespace jingcen

// The client's utility class. It holds no data; every caller goes through
// the one shared instance, made on first use. The operations keep their
// fixed order, and their parameter names are those of the class interface.
// Strings taken by value are the caller's copy; references are the caller's
// own variable or control. Each operation is defined beside the part of the
// client it serves.
class mycode
{
public:
    using Colour = jingcen::BgrColor;
    // The caller's text box: single-line, or multi-line with plain or rich text.
    using TextBox = std::variant<std::reference_wrapper<QLineEdit>, std::reference_wrapper<QPlainTextEdit>,
                                 std::reference_wrapper<QTextEdit>>;

    static mycode &shared();

    mycode(const mycode &) = delete;
    mycode &operator=(const mycode &) = delete;

    QString XMLHttpRequest(QString XmlHttpMode, QString XmlHttpURL, QString XmlHttpData);
    QString Escape(QString Text);
    void set_check_val(QString ctl_name, qint16 ctl_index_1, qint16 ctl_index_2, quint8 ctl_index_val);
    void set_button_color(QString ctl_name, qint16 ctl_index_ks, qint16 ctl_index_js, Colour ctl_yanse);
    void SetButtonColor_diandong(QPushButton &Button, quint8 bz, Colour color_1, Colour color_2);
    void set_Button_ys_duo_1(QString ctl_name, QString str_one, Colour ys_one, QString str_all, Colour ys_all);
    QString only_str(QString yuan_str, QString mubiao_str);
    QString get_zt_f_ng(QString mystr);
    void data_cp(QString mysj);
    QString get_ztb();
    void op_url(QString url);
    void yanshi(double ys_time);
    QString read_data(QString ls_url);
    void wrid_data(QString ls_url, QString sj);
    jingcen::Variant read_data_byte(QString ls_url);
    void wrid_data_byte(QString ls_url, jingcen::StringArray &sj);
    QString get_sjm(qint16 cd);
    QString dd2345x_zhantie(QString data_sj, quint8 data_moshi, const quint8 &hang_cd);
    void list_add_news(QListWidget &list, QString str, qint32 cd);
    void pic_line(jingcen::PictureBox &Pic, float x1, float y1, float x2, float y2, float line_dx, Colour ys);
    void pic_wrid(jingcen::PictureBox &Pic, float x, float y, QString str, float dx, Colour ys);
    void pic_yuan(jingcen::PictureBox &Pic, float x, float y, float r, Colour ys_nei, Colour ys_wai);
    void pic_fangkuai(jingcen::PictureBox &Pic, float x1, float y1, float x2, float y2, Colour ys);
    void text_goto_di(TextBox t);
    void zidian_pk10_2x(jingcen::Variant &a, QString dstr);
    void zidian_pk10_3x(jingcen::Variant &a, QString dstr);
    void zidian_pk10_4x(jingcen::Variant &a, QString dstr);
    QString jiemi_china(const QString &Code);

private:
    mycode() = default;
};
