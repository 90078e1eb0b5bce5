#!/usr/bin/python3
"""Drives headless Chromium through chromedriver over the archive's web view
and prints what it found, one `name value` line each, for the browser test
to judge:

  browse.py URL READING HOSTILE_READING DOWNLOADS PROFILE CHROMIUM CHROMEDRIVER

Every wait is bounded; a step that fails prints `failed <step>: <reason>`
and the script goes on with the next step."""

import os
import sys

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

WAIT_SECONDS = 60


def say(name, value):
    print(name, value, flush=True)


def browser(downloads, profile, chromium, chromedriver):
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    # Root in CI: no sandbox; a profile of its own in the scratch folder.
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--user-data-dir=" + profile, "--window-size=1280,1024"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {
        "download.default_directory": downloads,
        "download.prompt_for_download": False,
        "safebrowsing.enabled": False,
    })
    driver = webdriver.Chrome(service=Service(executable_path=chromedriver), options=options)
    driver.set_page_load_timeout(WAIT_SECONDS)
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    return driver


def count(driver, selector):
    return len(driver.find_elements(By.CSS_SELECTOR, selector))


def readings_list(driver, url, reading):
    driver.get(url + "readings")
    links = driver.find_elements(By.CSS_SELECTOR, 'table#readings a[href="/readings/%s"]' % reading)
    say("listed", len(links))


def reading_page(driver, url, reading):
    driver.get(url + "readings/" + reading)
    say("chart_svg", count(driver, "div.chart svg"))
    say("chart_paths", count(driver, "div.chart svg path"))
    say("figures_rows", count(driver, "table#figures tbody tr"))
    say("record_rows", count(driver, "table#records tbody tr"))


def finished_download(downloads):
    names = [name for name in os.listdir(downloads)
             if not name.endswith(".crdownload") and not name.startswith(".")]
    return names[0] if names else False


def download(driver, downloads):
    # The reading's page is open: the whole reading's report as CSV.
    link = driver.find_element(By.CSS_SELECTOR, 'p.downloads a[href$="/report.csv"]')
    link.click()
    name = WebDriverWait(driver, WAIT_SECONDS, poll_frequency=0.2).until(lambda _: finished_download(downloads))
    say("downloaded", name)
    say("downloaded_bytes", os.path.getsize(os.path.join(downloads, name)))


def hostile_page(driver, url, reading):
    driver.get(url + "readings/" + reading)
    say("hostile_rows", count(driver, "table#records tbody tr"))
    records = driver.find_element(By.CSS_SELECTOR, "table#records").text
    say("shown_script", "<script>alert(1)</script>" in records)
    say("shown_img", "<img src=x onerror=alert(2)>" in records)
    say("script_elements", driver.execute_script("return document.getElementsByTagName('script').length"))
    say("img_elements", driver.execute_script("return document.getElementsByTagName('img').length"))
    try:
        alert = driver.switch_to.alert
        say("alert", repr(alert.text))
        alert.dismiss()
    except NoAlertPresentException:
        say("alert", "none")


def main():
    url, reading, hostile, downloads, profile, chromium, chromedriver = sys.argv[1:8]
    driver = browser(downloads, profile, chromium, chromedriver)
    try:
        steps = (
            ("list", lambda: readings_list(driver, url, reading)),
            ("reading", lambda: reading_page(driver, url, reading)),
            ("download", lambda: download(driver, downloads)),
            ("hostile", lambda: hostile_page(driver, url, hostile)),
        )
        for name, step in steps:
            try:
                step()
            except Exception as failure:  # reported to the test, which fails on it
                say("failed", "%s: %s" % (name, str(failure).splitlines()[0] if str(failure) else type(failure)))
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
