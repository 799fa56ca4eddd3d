#pragma once
// Texts that come from the database file, from the operator or from the
// system, made safe to put into a log line. Such a text may hold a line
// break that starts a line reading like one of the station's own, an escape
// sequence that the terminal would act on, or many thousands of characters.
// Both functions below escape every control character (\n, \r, \t; \xHH for
// the other C0 characters and DEL; \u{HHHH} for the C1 characters, the line
// and paragraph separators U+2028 and U+2029, the marks and overrides of
// writing direction and a half of a surrogate pair that stands alone), so
// their result never holds one, and keep only the
// first `limit` characters (UTF-16 units, as QString counts them; never half
// a surrogate pair). Where they cut, the result ends in a mark with the
// whole text's length: "… (N characters)". No result is longer than
// 8 x limit + 40 characters.

#include <QString>
#include <QVariant>

namespace basic {

inline constexpr int kLogQuotedLength = 40;
inline constexpr int kLogEscapedLength = 240;

// A value from the file (a field's text, a byte array) as a log line shows
// it: in double quotes, with a backslash before every \ and " inside, and
// the mark, where cut, after the closing quote.
QString LogQuoted(const QString& text, int limit = kLogQuotedLength);

// A message that may carry a text of the file (an SQLite error text can hold
// a trigger's message or a piece of the schema), or a path or device name
// the operator gave: unquoted, quotes and backslashes as they are, only the
// control characters escaped and the length bounded.
QString LogEscaped(const QString& text, int limit = kLogEscapedLength);

// A field of the file as a log line shows it: a text or a byte array by
// LogQuoted, a number as it is, and `empty` for a field without a value.
QString LogValue(const QVariant& field, const QString& empty);

} // namespace basic
