// Tells the test driver where the page lies on the screen, which the
// browser's own bars would otherwise hide.
document.addEventListener("mousemove", (e) => {
  const origin = (e.screenX - e.clientX) + "," + (e.screenY - e.clientY);
  fetch("/origin?at=" + origin).catch(() => {});
});
