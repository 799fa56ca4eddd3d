#pragma once
// Texts that come from the database file, from the operator or from the
// system, made safe to put into a log line. Such a text may hold a line
// break that starts a line reading like one of the station's own, an escape
// sequence that the terminal would act on, or many thousands of characters.
//
// Both functions below escape every control character (\n, \r, \t; \xHH for
// the other C0 characters and DEL; \u{HHHH} for the C1 characters, the line
// and paragraph separators U+2028 and U+2029, the marks and overrides of
// writing direction and a half of a surrogate pair that stands alone) and
// the backslash (\\), so their result never holds one of those characters
// raw, and a stored backslash and n never reads like a line break.
//
// What a text takes of a line is bounded after escaping: the result keeps
// the escapes of as many of the text's first characters as fit in `limit`
// characters (UTF-16 units, as QString counts them), an escape or a
// surrogate pair whole or not at all. Where a text does not fit, that part
// is followed by a mark with the whole text's length: "… (N characters)".
// So the part of the text is at most `limit` characters, and with the
// quotes of LogQuoted and the mark no result is longer than limit + 40.

#include <QString>
#include <QVariant>

namespace basic {

inline constexpr int kLogQuotedLength = 40;
inline constexpr int kLogEscapedLength = 100;

// A value from the file (a field's text, a byte array) as a log line shows
// it: in double quotes, with a backslash before every \ and " inside, and
// the mark, where cut, after the closing quote.
QString LogQuoted(const QString& text, int limit = kLogQuotedLength);

// A message that may carry a text of the file (an SQLite error text can hold
// a trigger's message or a piece of the schema), or a path or device name
// the operator gave: unquoted, quotes as they are, the control characters
// and the backslash escaped and the length bounded.
QString LogEscaped(const QString& text, int limit = kLogEscapedLength);

// A field of the file as a log line shows it: a text or a byte array by
// LogQuoted, a number as it is, and `empty` for a field without a value.
QString LogValue(const QVariant& field, const QString& empty);

} // namespace basic
