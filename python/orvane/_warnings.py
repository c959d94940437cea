"""The warnings of orvane's text conversions."""


class TextWarning(UserWarning):
    """What a text file cannot carry: to_text names each value or text that
    will not come back the same from from_text (a real that needs more
    digits, a NaN payload, a "#" in a text field), one warning per loss and
    text file, as orvane-cli prints them."""
