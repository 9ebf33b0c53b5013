#pragma once

#include <QString>

namespace merivox {

// What a change of the file may have to ask before it goes on. The window asks the operator in a
// message box; the command line answers each question the same way every time. No lock is held
// while a question is open: the change reads the file anew once it is answered.
class ChangeQuestions
{
public:
    virtual ~ChangeQuestions() = default;
    // The file before the old place of bytes to put back has changed since they were taken out
    // (why says so): put them after the file's last line instead?
    virtual bool putAtEnd(const QString &why) = 0;
    // A record of the same name and thread (what, "TIP (Gewinde M3)") stands in the file already:
    // put in a second one anyway?
    virtual bool putSecondCopy(const QString &what) = 0;
};

// The command line's answers: bytes whose old place is gone go to the end (they were asked for by
// number), and no second copy of a record is ever put in.
class FixedAnswers final : public ChangeQuestions
{
public:
    bool putAtEnd(const QString &) override { return true; }
    bool putSecondCopy(const QString &) override { return false; }
};

} // namespace merivox
