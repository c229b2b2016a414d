// An empty program: a platform area is linked whole into it with only the
// libraries it declares, so an undeclared dependency fails to link.
int main()
{
    return 0;
}
