#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

namespace kopix {

// A row is a link when its first four characters are "http", compared case-sensitively.
bool isLinkRow(QStringView row);

// The longest row text a launch takes; a longer row launches the empty text.
inline constexpr qsizetype LinkTargetLimit = 300;
QString launchTarget(QStringView row);

// The URL the browser is given for a launch target, or nothing. Only an absolute http or https URL with a
// host qualifies: a row such as "httpfoo" or "http_notes.txt" would otherwise make the desktop's opener
// open a local file or start a program.
std::optional<QUrl> browsableUrl(const QString& target);

} // namespace kopix
