"""The one failure the importer reports: a clear one-line message."""


class ImportFailure(Exception):
    """Bad input or an unwritable target; the message is shown as it is."""
