# Empty dependencies file for tessary_engrave_handlers.
# This may be replaced when dependencies are built.
