#include "desktop/ModalSession.h"

#include <QEventLoop>

namespace nimbrel {

bool ModalSession::run() {
    QEventLoop loop;
    loop_ = &loop;
    // Each window quits its own loop: an answer to one shown over another ends only its own wait.
    if (!ended_) loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    return ended_;
}

void ModalSession::end() {
    ended_ = true;
    if (loop_) loop_->quit();
}

} // namespace nimbrel
