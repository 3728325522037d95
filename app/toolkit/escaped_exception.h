// The toolkit's standard box for an exception that escaped the window's life.
// The entry shows it for what escapes start-up and the message loop; the
// window procedure shows it for what a handler throws, because this
// compiler's exceptions cannot unwind back through the system's message
// dispatch: uncaught there, the program would vanish without a word.
#pragma once

namespace quillan::toolkit {

void ShowEscapedException(const char* what);
// From then on the text goes to `sink` instead of a box (a run with nobody to
// dismiss it); null shows boxes again.
void SetEscapedExceptionSink(void (*sink)(const char* what));

}  // namespace quillan::toolkit
