#include "Console.h"
#include "ViewerCommand.h"
#include "WindowPart.h"

int main(int argc, char *argv[])
{
    // What needs no display is answered here, with Qt Core alone; the rest goes to the window part.
    const merivox::ViewerRequest request = merivox::readViewerArguments(argc, argv);
    {
        // Handed to the console when the block is left: on Windows as Unicode text or code-page bytes.
        merivox::ConsoleText outText(merivox::ConsoleStream::Output);
        merivox::ConsoleText errText(merivox::ConsoleStream::Error);
        if (const std::optional<int> answered =
                merivox::answerWithoutDisplay(request, argc, argv, outText.stream(), errText.stream())) {
            return *answered;
        }
    }
    return merivox::runWindowPart(argc, argv);
}
