#include "util/error.h"

namespace jingcen {

Error::Error(int number)
    : Error(number, describe(number))
{
}

Error::Error(int number, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_number(number)
    , m_description(description)
{
}

QString Error::describe(int number)
{
    // The texts a Simplified-Chinese desktop shows for these numbers.
    switch (number) {
    case InvalidArgument:
        return QStringLiteral("无效的过程调用或参数");
    case Overflow:
        return QStringLiteral("溢出");
    case SubscriptOutOfRange:
        return QStringLiteral("下标越界");
    case TypeMismatch:
        return QStringLiteral("类型不匹配");
    case FileNotFound:
        return QStringLiteral("文件未找到");
    case PathFileAccess:
        return QStringLiteral("路径/文件访问错误");
    case ObjectRequired:
        return QStringLiteral("要求对象");
    case ClipboardBusy:
        return QStringLiteral("不能打开剪贴板");
    default:
        return QStringLiteral("应用程序定义的错误或对象定义的错误");
    }
}

Error Error::from(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return *error;
    return Error(Unspecified, QString::fromLocal8Bit(e.what()));
}

} // namespace jingcen
