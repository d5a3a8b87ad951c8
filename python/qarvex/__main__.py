"""``python -m qarvex``: the command-line checker."""
import sys

from qarvex.cli import main

sys.exit(main())
