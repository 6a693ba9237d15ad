"""Fixtures of the module's window tests: the application and a shown parent window."""
import pytest
import wx.siplib

from wx_support import get_app, pump, shown_parent


@pytest.fixture(scope="session")
def app():
    return get_app()


@pytest.fixture
def parent(app):
    """A wx.Panel filling a shown 700 x 500 frame, destroyed after the test unless the test did."""
    frame, parent = shown_parent((700, 500))
    yield parent
    if not wx.siplib.isdeleted(frame):
        frame.Destroy()
    pump(0.05)
