#include "app/windowapplication.h"

int main(int argc, char** argv)
{
    return runWindowApplication(argc, argv);
}
