// Reads through a null pointer. The suite runs it to show that a test program
// that crashes fails at once instead of waiting for a crash dialog.
int main()
{
    volatile int* nowhere = nullptr;
    return *nowhere;
}
