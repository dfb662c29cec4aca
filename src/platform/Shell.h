#pragma once

class QUrl;

namespace lumarik::platform {

// True for a valid absolute http or https address with a host.
bool isWebAddress(const QUrl& url);

// Hands a web or mail address to the user's program for it (browser, mail program),
// without a shell in between. Only web addresses and mailto addresses are handed on;
// anything else, which could name a local file or program, is refused. Answers
// whether the address was handed on.
bool openAddress(const QUrl& url);

} // namespace lumarik::platform
