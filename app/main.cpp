// msgdesk: the text messages of an iPhone, backed up, browsed and exported.
#include "MsgdeskStartup.h"

int main(int argc, char** argv)
{
    return MsgdeskStartup::run(argc, argv);
}
