// Small text conversions the model views share: the models' UTF-8 lists and names as Qt
// strings and the word lists of the selectors.
#pragma once

#include "U_modellists.h"

#include <QString>
#include <QStringList>

#include <span>
#include <string>
#include <string_view>

namespace views {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

inline QStringList Items(std::span<const std::string_view> list) {
    QStringList items;
    for (std::string_view name : list) items << Q(name);
    return items;
}

inline const QStringList& YesNoItems() {
    static const QStringList items = Items(models::kYesNoList);
    return items;
}

inline const QStringList& OnOffItems() {
    static const QStringList items = Items(models::kOnOffList);
    return items;
}

inline QString YesNoText(bool value) {
    return Q(models::YesNoName(value));
}

inline QString OnOffText(bool value) {
    return Q(models::OnOffName(value));
}

inline bool Yes(const QString& text) {
    return models::IsYes(S(text));
}

inline bool On(const QString& text) {
    return models::IsOn(S(text));
}

// Position of a text in a list, -1 when it is not there (a list's first entry is a real value
// here, so "absent" must not read as 0).
inline int IndexIn(std::span<const std::string_view> list, const QString& text) {
    const std::string wanted = S(text);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == wanted) return static_cast<int>(i);
    return -1;
}

// The selectors of numbers ("1".."5", "0".."10").
inline QStringList NumberItems(int first, int last) {
    QStringList items;
    for (int n = first; n <= last; ++n) items << QString::number(n);
    return items;
}

}  // namespace views
