#include "app/TVexloApplication.h"

int main(int argc, char* argv[])
{
    return TVexloApplication::Run(argc, argv);
}
