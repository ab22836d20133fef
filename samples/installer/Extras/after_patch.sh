#!/bin/sh
# Run by the installer after the Ashgrove 1.02 patch when the user keeps the check box on the
# run-program page: it only says that the patch is in place.
echo "Ashgrove 1.02 is installed. Have a good game."
